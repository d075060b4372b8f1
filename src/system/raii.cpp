// Owners are header-only; this unit keeps the library non-empty and checks that the header stands alone.
#include "system/raii.h"
