#include "unit/library_fixture.h"
