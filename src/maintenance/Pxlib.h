#pragma once
// The Paradox file library: its C header declares its functions without C++ linkage,
// so it is included here, once, inside extern "C".
extern "C" {
#include <paradox.h>
}
