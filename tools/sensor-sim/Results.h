// Results in words and numbers: what the library's status values mean.
#ifndef SENSOR_SIM_RESULTS_H
#define SENSOR_SIM_RESULTS_H

#include <string>

namespace sensorsim {

// The apply step's result: "done", or which key stopped it.
std::string applyResult(int p_nStatus);
// flush's result: "saved" or why the schedule window was refused.
std::string flushResult(int p_nStatus);
std::string onOff(int p_nValue);
std::string dayNight(int p_nState);
// "done" or "failed" for the controller's yes/no answers.
std::string doneOrFailed(bool p_bOk);

}  // namespace sensorsim

#endif
