// The sensor check command: three numbers sent to the ISP as one record; for
// the query form the ISP's answer word replaces the text.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "ISensorController.h"
#include "diag/SensorReport.h"
#include "ia_ioctrl.h"

namespace {

// The second number that asks for an answer.
const int SENSOR_CHECK_QUERY = 2;
const int SENSOR_CHECK_REFUSED = -1;

}  // namespace

// p_strParameters is an id list of at least three numbers. Returns the ISP's
// status, or -1 (nothing sent) for a list that is refused or too short. No
// lock.
int ISensorController::SensorCheck(std::string& p_strParameters) {
    std::vector<std::string> vecItems;
    // A list of fewer than three numbers is refused like one that does not
    // parse, rather than read past its end.
    if (!parseSensorParameter(p_strParameters, vecItems) || vecItems.size() < 3) {
        printf("%s%d getParameters fail p_strIds = %s \n", sensorBaseName(__FILE__), __LINE__, p_strParameters.c_str());
        return SENSOR_CHECK_REFUSED;
    }

    int32_t anRecord[4] = {atoi(vecItems[0].c_str()), atoi(vecItems[1].c_str()), atoi(vecItems[2].c_str()), 0};
    const bool bQuery = anRecord[1] == SENSOR_CHECK_QUERY;
    const int nStatus =
        ia_ioctrl_v2(m_nCameraID - 1, IA_CMD_SENSOR_CHECK, bQuery ? IA_CMD_OPT_GET : IA_CMD_OPT_SET, anRecord);
    if (bQuery) {
        char szAnswer[32];
        memset(szAnswer, 0, sizeof(szAnswer));
        snprintf(szAnswer, sizeof(szAnswer), "%d", static_cast<int>(anRecord[3]));
        p_strParameters = szAnswer;
    }
    return nStatus;
}
