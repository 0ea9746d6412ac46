// The id list: parseSensorParameter and SensorCheck on any text.
//
// Properties: an accepted text is one pair of parentheses around the items,
// which join back (with ",") to the text between them; SensorCheck sends
// exactly one sensor-check record, holding the first three numbers, for a
// list of three or more items, and nothing otherwise; the query form leaves
// the answer word as the text.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IspSimulation.h"

namespace {

ISensorController* g_pController = nullptr;

std::string joined(const std::vector<std::string>& p_vecItems) {
    std::string strText;
    for (size_t i = 0; i < p_vecItems.size(); ++i) {
        if (i != 0) strText += ",";
        strText += p_vecItems[i];
    }
    return strText;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("ir-bullet");
    fuzzsupport::setDebugLevel(-1);
    g_pController = new ISensorController();
    g_pController->setChannelID(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strText(reinterpret_cast<const char*>(p_pData), p_nSize);

    std::vector<std::string> vecItems;
    const bool bAccepted = g_pController->parseSensorParameter(strText, vecItems);
    if (bAccepted) {
        FUZZ_CHECK(strText.size() >= 3);
        FUZZ_CHECK(strText[0] == '(');
        FUZZ_CHECK(strText.find(')') == strText.size() - 1);
        FUZZ_CHECK(!vecItems.empty());
        FUZZ_CHECK(joined(vecItems) == strText.substr(1, strText.size() - 2));
    }

    ispsim::clearCalls();
    std::string strCheck = strText;
    const int nStatus = g_pController->SensorCheck(strCheck);
    const std::vector<ispsim::Call> vecCalls = ispsim::calls();
    if (!bAccepted || vecItems.size() < 3) {
        FUZZ_CHECK(nStatus != SNS_SUCCESS);
        FUZZ_CHECK(vecCalls.empty());
        FUZZ_CHECK(strCheck == strText);
        return 0;
    }
    FUZZ_CHECK(vecCalls.size() == 1);
    const ispsim::Call& stCall = vecCalls[0];
    FUZZ_CHECK(stCall.cmd == IA_CMD_SENSOR_CHECK);
    FUZZ_CHECK(stCall.wordIn(0) == atoi(vecItems[0].c_str()));
    FUZZ_CHECK(stCall.wordIn(1) == atoi(vecItems[1].c_str()));
    FUZZ_CHECK(stCall.wordIn(2) == atoi(vecItems[2].c_str()));
    const bool bQuery = atoi(vecItems[1].c_str()) == 2;
    FUZZ_CHECK(stCall.option == (bQuery ? IA_CMD_OPT_GET : IA_CMD_OPT_SET));
    FUZZ_CHECK(nStatus == stCall.status);
    if (bQuery) {
        FUZZ_CHECK(stCall.dataOut.size() >= 4 * sizeof(int32_t));
        int32_t nAnswer = 0;
        memcpy(&nAnswer, stCall.dataOut.data() + 3 * sizeof(int32_t), sizeof(nAnswer));
        FUZZ_CHECK(strCheck == std::to_string(nAnswer));
    } else {
        FUZZ_CHECK(strCheck == strText);
    }
    return 0;
}
