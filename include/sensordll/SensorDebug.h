// Process-wide diagnostics settings, refreshed from "/tmp/Debug.sign" before
// every report: line 1 the verbosity, line 2 whether failed assertions abort.
#ifndef SENSORDLL_SENSOR_DEBUG_H
#define SENSORDLL_SENSOR_DEBUG_H

#include <atomic>

#include "SensorExport.h"

// Verbosity (default 1). A 32-bit word, written whole by any reporting thread.
SENSORDLL_API extern std::atomic<int> g_nDebugLevel;
// When true a failed assertion aborts the process (default false).
SENSORDLL_API extern std::atomic<bool> g_bEnAssert;

SENSORDLL_API void updateDebugLevel();

#endif
