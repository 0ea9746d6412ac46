// Compiles the umbrella header alone, as C++14: every exported declaration is
// reachable from it and it needs no private header.
#include "sensordll.h"

static_assert(sizeof(KeyVal) == 8, "KeyVal stays 8 bytes");
static_assert(sizeof(g_nDebugLevel) == 4, "g_nDebugLevel stays a 32-bit word");
static_assert(sizeof(g_bEnAssert) == 1, "g_bEnAssert stays one byte");
static_assert(sizeof(g_bShoWBeawayFalg) == 1, "g_bShoWBeawayFalg stays one byte");
