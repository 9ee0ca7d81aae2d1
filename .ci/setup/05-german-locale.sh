#!/usr/bin/env bash
# The locale tests switch to German number formatting ("2,5"): generate it.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf'; then
  if ! command -v locale-gen > /dev/null; then
    apt-get update -qq
    apt-get install -y -qq locales > /dev/null
  fi
  sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen > /dev/null
fi
