#!/usr/bin/env bash
# The Windows suites run 32-bit Windows programs under Wine, which needs the
# i386 architecture's packages (wine32:i386).
set -euo pipefail
dpkg --add-architecture i386
