// The key/value text: keyval_str2st on any text, and the text entry of
// setParameters on a controller whose scheme arrays hold the ir-bullet
// factory set.
//
// Properties: the parse never writes past its capacity and agrees with an
// independent count of the items; what it parsed prints back (keyval_st2str)
// to a text that parses to the same records; the apply step never changes the
// key layout of any scheme array and answers SNS_SUCCESS, -1 or a negated key.
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "FuzzSupport.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "SensorKeyVal.h"
#include "SimulatedVideoModule.h"

namespace {

const u32 SCHEME_SUM = 4;

ISensorController* g_pController = nullptr;
ISensorControllerTestAccess* g_pAccess = nullptr;
SimulatedVideoModule* g_pVideo = nullptr;
std::vector<KeyVal> g_vecFactory;

// The number of items the text holds as far as a parse reaches: a "(" that
// is not the last character and a ")" after it.
size_t countItems(const std::string& p_strText) {
    size_t nItems = 0;
    size_t nPos = 0;
    while (nPos < p_strText.size()) {
        const size_t nOpen = p_strText.find('(', nPos);
        if (nOpen == std::string::npos || nOpen + 1 == p_strText.size()) break;
        const size_t nClose = p_strText.find(')', nOpen + 1);
        if (nClose == std::string::npos) break;
        ++nItems;
        nPos = nClose + 1;
    }
    return nItems;
}

void checkCodec(const std::string& p_strText, u32 p_nCapacity) {
    std::unique_ptr<KeyVal[]> pRecords(new KeyVal[p_nCapacity == 0 ? 1 : p_nCapacity]);
    u32 nCount = 12345;
    const bool bParsed = keyval_str2st(p_strText, p_nCapacity == 0 ? nullptr : pRecords.get(), &nCount, p_nCapacity);
    FUZZ_CHECK(nCount <= p_nCapacity);
    const size_t nItems = countItems(p_strText);
    FUZZ_CHECK(bParsed == (nItems <= p_nCapacity));
    if (bParsed) FUZZ_CHECK(nCount == nItems);
    if (!bParsed) return;

    std::string strPrinted;
    keyval_st2str(strPrinted, pRecords.get(), nCount);
    std::unique_ptr<KeyVal[]> pAgain(new KeyVal[nCount == 0 ? 1 : nCount]);
    u32 nAgain = 0;
    FUZZ_CHECK(keyval_str2st(strPrinted, pAgain.get(), &nAgain, nCount));
    FUZZ_CHECK(nAgain == nCount);
    FUZZ_CHECK(nCount == 0 || memcmp(pAgain.get(), pRecords.get(), nCount * sizeof(KeyVal)) == 0);
}

void resetController() {
    for (u32 i = 0; i <= SCHEME_SUM; ++i)
        memcpy(g_pAccess->scheme(i), g_vecFactory.data(), g_vecFactory.size() * sizeof(KeyVal));
    g_pAccess->curScheme() = 0;
    g_pAccess->lastScheme() = -1;
    g_pAccess->timingScheme() = false;
    g_pAccess->dnScheme() = false;
    g_pAccess->stateFlags() = SENSOR_STATE_INITIALISED;
    ISensorController::m_nChanneldDosomething = -1;
    ISensorController::m_nPassKeycmd = -1;
    ispsim::clearCalls();
    g_pVideo->clearNotifications();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("ir-bullet");
    fuzzsupport::setDebugLevel(-1);
    g_vecFactory = fuzzsupport::factorySet();
    g_pVideo = new SimulatedVideoModule();
    g_pController = new ISensorController();
    g_pController->setChannelID(1);
    g_pController->setVideoStreamModule(g_pVideo);
    g_pAccess = new ISensorControllerTestAccess(*g_pController);
    g_pAccess->setUpSchemes(SCHEME_SUM, g_vecFactory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize == 0) return 0;
    // The first byte chooses the capacity and the save flag.
    const u32 nCapacity = p_pData[0] & 0x7f;
    const bool bSave = (p_pData[0] & 0x80) != 0;
    const std::string strText(reinterpret_cast<const char*>(p_pData) + 1, p_nSize - 1);

    checkCodec(strText, nCapacity);

    resetController();
    const int nResult = g_pController->setParameters(strText, bSave);
    FUZZ_CHECK(nResult <= 0);
    for (u32 i = 0; i <= SCHEME_SUM; ++i) {
        for (size_t j = 0; j < g_vecFactory.size(); ++j) FUZZ_CHECK(g_pAccess->scheme(i)[j].key == g_vecFactory[j].key);
    }
    return 0;
}
