// The mutex that orders the copies of the zoom/focus parameters: the host
// replaces them from any thread (no controller lock), while doIaCmd reads
// their lock flag on host threads and on the sensor thread.
#ifndef SENSORDLL_HANDLERS_ZOOM_FOCUS_PARAM_LOCK_H
#define SENSORDLL_HANDLERS_ZOOM_FOCUS_PARAM_LOCK_H

#include <mutex>

std::mutex& zoomFocusParamMutex();

#endif
