// The dynamic-parameter style and the factory defaults (getDnaStyle,
// getFctData) with the style text and every ISP answer taken from the input.
//
// The input's text part is the style; the ISP's answers (the command list, its
// status, each command's range record and status, even counts beyond what the
// records hold) come from the bytes at its end. This program stands in for
// the ISP library itself: its ia_ioctrl_v2 serves those answers, the same for
// every call of one input.
//
// Properties: both calls answer SNS_SUCCESS; the factory set never exceeds the
// array's capacity and is exactly the records of the dynamic-parameter style's
// elements that carry "id" and "value", in document order.
#include <fuzzer/FuzzedDataProvider.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "SensorFile.h"
#include "ia_ioctrl.h"

namespace {

const u32 CAPACITY = 170;

struct IspAnswers {
    int nListStatus = 0;
    ia_dynamic_params_cmds_st stList;
    std::vector<int> vecRangeStatus;
    std::vector<ia_dynamic_params_attr_st> vecRanges;
};

IspAnswers g_stAnswers;

// Commands the bundled styles carry, so that most answers meet elements.
const int STYLE_COMMANDS[] = {49, 50, 51, 55, 56, 1537, 82, 2497, 34, 10, 11, 112, 128};

void readAnswers(FuzzedDataProvider& p_objData) {
    g_stAnswers = IspAnswers();
    memset(&g_stAnswers.stList, 0, sizeof(g_stAnswers.stList));
    g_stAnswers.nListStatus = p_objData.ConsumeBool() ? -1 : 0;
    // Counts a little beyond the record's room and below zero too: the ISP
    // is not trusted to keep within them.
    g_stAnswers.stList.cmd_cnt = p_objData.ConsumeIntegralInRange<int>(-2, IA_DYNAMIC_PARAMS_CMDS_MAX + 4);
    for (int i = 0; i < IA_DYNAMIC_PARAMS_CMDS_MAX; ++i) {
        const uint8_t nPick = p_objData.ConsumeIntegral<uint8_t>();
        g_stAnswers.stList.cmd_list[i] = nPick < 200 ? STYLE_COMMANDS[nPick % (sizeof(STYLE_COMMANDS) / sizeof(int))]
                                                     : p_objData.ConsumeIntegral<int>();
        ia_dynamic_params_attr_st stRange;
        memset(&stRange, 0, sizeof(stRange));
        stRange.attr_type = p_objData.ConsumeIntegral<uint8_t>();
        stRange.def_val = p_objData.ConsumeIntegralInRange<int>(-5, 300);
        stRange.min_val = p_objData.ConsumeIntegralInRange<int>(-5, 300);
        stRange.max_val = p_objData.ConsumeIntegralInRange<int>(-5, 300);
        stRange.items_cnt = p_objData.ConsumeIntegralInRange<int>(-2, IA_DYNAMIC_PARAMS_ITEMS_MAX + 4);
        for (int j = 0; j < IA_DYNAMIC_PARAMS_ITEMS_MAX; ++j)
            stRange.item[j] = p_objData.ConsumeIntegralInRange<int>(-1, 260);
        g_stAnswers.vecRanges.push_back(stRange);
        g_stAnswers.vecRangeStatus.push_back(p_objData.ConsumeIntegralInRange<int>(0, 7) == 0 ? -1 : 0);
    }
}

void collect(const TiXmlElement* p_pElement, std::vector<KeyVal>& p_vecRecords) {
    if (p_pElement == nullptr) return;
    const char* szId = p_pElement->Attribute("id");
    const char* szValue = p_pElement->Attribute("value");
    if (szId != nullptr && szValue != nullptr) {
        const long long nId = strtoll(szId, nullptr, 10);
        const long long nValue = strtoll(szValue, nullptr, 10);
        const auto clamp = [](long long p_nValue) {
            return p_nValue > INT32_MAX ? INT32_MAX : p_nValue < INT32_MIN ? INT32_MIN : p_nValue;
        };
        p_vecRecords.push_back({static_cast<u32>(static_cast<int32_t>(clamp(nId))),
                                static_cast<u32>(static_cast<int32_t>(clamp(nValue)))});
    }
    for (const TiXmlElement* pChild = p_pElement->FirstChildElement(); pChild != nullptr;
         pChild = pChild->NextSiblingElement())
        collect(pChild, p_vecRecords);
}

}  // namespace

// The ISP library's entry, answering from the current input.
int ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData) {
    if (p_nChannel != 0 || p_pData == nullptr) return -1;
    // The command numbers come from this ISP's own list and may lie outside
    // the enumeration; they are compared as the integers they are.
    int nCmd = 0;
    memcpy(&nCmd, &p_eCmd, sizeof(nCmd));
    if (nCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET && p_nOption == IA_CMD_OPT_GET) {
        memcpy(p_pData, &g_stAnswers.stList, sizeof(g_stAnswers.stList));
        return g_stAnswers.nListStatus;
    }
    if (p_nOption == IA_CMD_OPT_GET_PARAM_RNAGE) {
        for (int i = 0; i < IA_DYNAMIC_PARAMS_CMDS_MAX; ++i) {
            if (g_stAnswers.stList.cmd_list[i] != nCmd) continue;
            if (g_stAnswers.vecRangeStatus[i] != 0) return g_stAnswers.vecRangeStatus[i];
            memcpy(p_pData, &g_stAnswers.vecRanges[i], sizeof(ia_dynamic_params_attr_st));
            return 0;
        }
        return -1;
    }
    return -1;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("");
    fuzzsupport::setDebugLevel(-1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    FuzzedDataProvider objData(p_pData, p_nSize);
    const bool bShowWdr = objData.ConsumeBool();
    setshowBeawayFalg(objData.ConsumeBool());
    readAnswers(objData);
    std::string strStyle = objData.ConsumeRemainingBytesAsString();
    strStyle = strStyle.substr(0, strStyle.find('\0'));
    std::vector<char> vecStyle(strStyle.begin(), strStyle.end());
    vecStyle.push_back('\0');

    std::string strDna;
    FUZZ_CHECK(getDnaStyle(1, vecStyle.data(), strDna, bShowWdr) == SNS_SUCCESS);

    std::unique_ptr<KeyVal[]> pFactory(new KeyVal[CAPACITY]);
    u32 nCount = 0;
    FUZZ_CHECK(getFctData(1, vecStyle.data(), pFactory.get(), &nCount, bShowWdr, CAPACITY) == SNS_SUCCESS);
    FUZZ_CHECK(nCount <= CAPACITY);

    TiXmlDocument objDna;
    objDna.Parse(strDna.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (objDna.Error()) return 0;
    std::vector<KeyVal> vecExpected;
    collect(objDna.RootElement(), vecExpected);
    if (vecExpected.size() > CAPACITY) vecExpected.resize(CAPACITY);
    FUZZ_CHECK(nCount == vecExpected.size());
    FUZZ_CHECK(nCount == 0 || memcmp(pFactory.get(), vecExpected.data(), nCount * sizeof(KeyVal)) == 0);
    return 0;
}
