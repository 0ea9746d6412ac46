// Words for the library's results.
#include "Results.h"

#include "KeyNames.h"

namespace sensorsim {

std::string applyResult(int p_nStatus) {
    if (p_nStatus == 0) return "done (status 0)";
    // The apply step stops with the negated key of the record it stopped at.
    if (p_nStatus < 0 && findKey(static_cast<unsigned int>(-p_nStatus)) != nullptr)
        return "failed (status " + std::to_string(p_nStatus) + ": stopped at " +
               keyLabel(static_cast<unsigned int>(-p_nStatus)) + ")";
    return "failed (status " + std::to_string(p_nStatus) + ")";
}

std::string flushResult(int p_nStatus) {
    switch (p_nStatus) {
        case 0:
            return "done (status 0)";
        case 505:
            return "refused (status 505: the schedule window starts after 24:00)";
        case 506:
            return "refused (status 506: the schedule window ends after 24:00)";
        case 507:
            return "refused (status 507: the schedule window does not start before it ends)";
        default:
            return "failed (status " + std::to_string(p_nStatus) + ")";
    }
}

std::string onOff(int p_nValue) {
    return (p_nValue == 0 ? "off (" : p_nValue == 1 ? "on (" : "value (") + std::to_string(p_nValue) + ")";
}

std::string dayNight(int p_nState) { return (p_nState == 0 ? "day (" : "night (") + std::to_string(p_nState) + ")"; }

std::string doneOrFailed(bool p_bOk) { return p_bOk ? "done" : "failed"; }

}  // namespace sensorsim
