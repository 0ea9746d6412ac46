// The dynamic-parameter style: the merged style fitted to the defaults and
// allowed values that the ISP reports for the sensor in use.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "SensorFile.h"
#include "diag/SensorReport.h"
#include "ISensorController.h"
#include "style/StyleTree.h"
#include "style/XmlDocument.h"
#include "platform/IspRecords.h"

namespace {

// A style value of 100 for these commands keeps the ISP's default.
const int KEEP_ISP_DEFAULT = 100;
// For the maximum shutter, a style value from 200 up means the style's own options
// replace the ISP's list and the default is the value less 200.
const int CUSTOM_SHUTTER_OFFSET = 200;
const int CUSTOM_SHUTTER_COMMAND = KEY_MAX_SHUTTER;
const int WDR_NOTICE_ID = KEY_EMPTY1;
const int SCENE_NOTICE_ID = KEY_EMPTY2;
// The functors below report for the exported functions that run them.
const SensorReportCaller DO_DNA_STYLE = {"doDnaStyle",
                                         "int doDnaStyle(TiXmlElement*, int, const ia_dynamic_params_attr_st*)"};
const SensorReportCaller DO_CUSTOMIZE_STYLE = {"doCustomizeStyle",
                                               "int doCustomizeStyle(TiXmlElement*, int, ia_dynamic_params_attr_st*)"};

bool styleDefaultCanWin(int p_nCmd) {
    static const int s_arrCommands[] = {KEY_MAX_SHUTTER,       KEY_FIX_SHUTTER,       KEY_MIN_SHUTTER,
                                        KEY_MIN_SHUTTER_NIGHT, KEY_MAX_SHUTTER_NIGHT, KEY_AUTO_FOCUS_NEAR_LIMIT};
    for (size_t i = 0; i < sizeof(s_arrCommands) / sizeof(s_arrCommands[0]); ++i)
        if (s_arrCommands[i] == p_nCmd) return true;
    return false;
}

// The item count of a range record as far as the record can hold it.
int boundedItemCount(const ia_dynamic_params_attr_st& p_stRange) {
    if (p_stRange.items_cnt < 0) return 0;
    return p_stRange.items_cnt > IA_DYNAMIC_PARAMS_ITEMS_MAX ? IA_DYNAMIC_PARAMS_ITEMS_MAX : p_stRange.items_cnt;
}

bool isAllowed(const ia_dynamic_params_attr_st& p_stRange, int p_nValue) {
    const int nItems = boundedItemCount(p_stRange);
    for (int i = 0; i < nItems; ++i)
        if (p_stRange.item[i] == p_nValue) return true;
    return false;
}

struct FitToRange {
    int nCmd;
    const ia_dynamic_params_attr_st& stRange;
    int operator()(TiXmlElement* p_pElement) {
        SENSOR_DBG_FOR(DO_DNA_STYLE, "_________________cmd(%d) default(%d)__________________\n", nCmd, stRange.def_val);
        p_pElement->SetAttribute("value", stRange.def_val);
        TiXmlElement* pNext = nullptr;
        for (TiXmlElement* pOption = p_pElement->FirstChildElement(); pOption != nullptr; pOption = pNext) {
            pNext = pOption->NextSiblingElement();
            const char* szIndex = pOption->Attribute("index");
            if (szIndex == nullptr) return -1;
            if (!isAllowed(stRange, styleNumber(szIndex))) {
                SENSOR_DBG_FOR(DO_DNA_STYLE, "_________________delete comboitem(%s)__________________\n", szIndex);
                p_pElement->RemoveChild(pOption);
            }
        }
        return 0;
    }
};

struct CollectOptions {
    int nCmd;
    ia_dynamic_params_attr_st& stRange;
    int operator()(TiXmlElement* p_pElement) {
        int n = 0;
        for (const TiXmlElement* pOption = p_pElement->FirstChildElement(); pOption != nullptr;
             pOption = pOption->NextSiblingElement()) {
            const char* szIndex = pOption->Attribute("index");
            if (szIndex == nullptr) continue;
            if (n == IA_DYNAMIC_PARAMS_ITEMS_MAX) {
                SENSOR_ASSERT_EXPR_FOR(DO_CUSTOMIZE_STYLE, false, "n < IA_DYNAMIC_PARAMS_ITEMS_MAX",
                                       "cmd(%d): options after the first %d ignored\n", nCmd,
                                       IA_DYNAMIC_PARAMS_ITEMS_MAX);
                break;
            }
            stRange.item[n++] = styleNumber(szIndex);
        }
        stRange.items_cnt = n;
        // Without an option there is no bound to give; the old ones stay.
        if (n > 0) {
            stRange.min_val = stRange.item[0];
            stRange.max_val = stRange.item[n - 1];
        }
        return 0;
    }
};

// The style's own default for one of the six commands, where the ISP allows it
// or the custom-shutter rule applies. p_vecElements: the command's elements as
// the id walk finds them; the default is the "value" of the last that has one.
void applyStyleDefault(const std::vector<TiXmlElement*>& p_vecElements, int p_nIndex, int p_nCmd,
                       ia_dynamic_params_attr_st& p_stRange) {
    int nVal = 0;
    for (const TiXmlElement* pElement : p_vecElements) {
        const char* szValue = pElement->Attribute("value");
        if (szValue != nullptr) nVal = styleNumber(szValue);
    }
    if (nVal == KEEP_ISP_DEFAULT) return;
    printf("dnaCmdList.cmd_list[%d] = dnaParamList.items_cnt(%d)\n", p_nIndex, p_stRange.items_cnt);
    const int nItems = boundedItemCount(p_stRange);
    for (int j = 0; j < nItems; ++j) {
        printf(" dnaParamList.item[%d] = %d nVal = %d \n", j, p_stRange.item[j], nVal);
        if (p_stRange.item[j] == nVal) {
            p_stRange.def_val = nVal;
            break;
        }
    }
    if (nVal >= CUSTOM_SHUTTER_OFFSET && p_nCmd == CUSTOM_SHUTTER_COMMAND) {
        CollectOptions objCollect = {CUSTOM_SHUTTER_COMMAND, p_stRange};
        actOnEach(p_vecElements, objCollect);
        p_stRange.def_val = nVal - CUSTOM_SHUTTER_OFFSET;
    }
}

// Removes the last element with the id, the one the walk finds.
void removeById(TiXmlElement* p_pRoot, int p_nId) {
    TiXmlElement* pFound = nullptr;
    getNodebyCmdId(p_pRoot, p_nId, pFound);
    if (pFound != nullptr) DeleteNode(p_pRoot, pFound);
}

}  // namespace

// Builds the dynamic-parameter style of the channel (counted from 1) from the
// merged style text into strDnaStyle. Every failure is reported and the build
// goes on. The ISP's answers are bounded to what its records hold, and a
// command whose range cannot be read keeps its elements as the style has them.
int getDnaStyle(int p_channelID, const char* szStyle, std::string& strDnaStyle, bool p_bShowWDRFalg) {
    IspDynamicCommands dnaCmdList;
    const int nListRead = readDynamicCommands(p_channelID - 1, dnaCmdList);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nListRead,
                       "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                       "(void*)(&dnaCmdList))",
                       "");

    TiXmlDocument objStyleXmlDoc;
    const bool bParsed = LoadMem(objStyleXmlDoc, szStyle, TIXML_ENCODING_UTF8);
    SENSOR_ASSERT_EXPR(bParsed, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)", "");
    TiXmlElement* pRoot = objStyleXmlDoc.RootElement();

    SENSOR_DBG("dnaCmdList.cmd_cnt(%d)\n", dnaCmdList.reportedCount);
    SENSOR_ASSERT_EXPR(dnaCmdList.reportedCount == dnaCmdList.count,
                       "0 <= dnaCmdList.cmd_cnt && dnaCmdList.cmd_cnt <= IA_DYNAMIC_PARAMS_CMDS_MAX", "cmd_cnt(%d)\n",
                       dnaCmdList.reportedCount);

    ia_dynamic_params_attr_st dnaParamList;
    memset(&dnaParamList, 0, sizeof(dnaParamList));
    std::vector<TiXmlElement*> vecElements;
    for (int i = 0; i < dnaCmdList.count; ++i) {
        const int nCmd = dnaCmdList.cmds[i];
        SENSOR_DBG("dnaCmdList.cmd_list[%d] = cmd(%d)\n", i, nCmd);
        const int nRangeRead =
            ia_ioctrl_v2(p_channelID - 1, (ia_cmd_e)nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList));
        SENSOR_ASSERT_EXPR(SNS_SUCCESS == nRangeRead,
                           "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                           "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))",
                           "");
        // The record then holds another command's range, or none: applying it
        // would give this command foreign defaults and options.
        if (SNS_SUCCESS != nRangeRead) continue;

        const bool bItemsFit = dnaParamList.items_cnt >= 0 && dnaParamList.items_cnt <= IA_DYNAMIC_PARAMS_ITEMS_MAX;
        SENSOR_ASSERT_EXPR(bItemsFit,
                           "0 <= dnaParamList.items_cnt && dnaParamList.items_cnt <= IA_DYNAMIC_PARAMS_ITEMS_MAX",
                           "cmd(%d) items_cnt(%d)\n", nCmd, dnaParamList.items_cnt);
        dnaParamList.items_cnt = boundedItemCount(dnaParamList);

        // Reading the style's default changes nothing in the document, so one
        // walk finds the command's elements for the reading and the fitting.
        vecElements.clear();
        collectById(pRoot, nCmd, vecElements);
        if (styleDefaultCanWin(nCmd)) applyStyleDefault(vecElements, i, nCmd, dnaParamList);

        FitToRange objFit = {nCmd, dnaParamList};
        const int nFitted = actOnEach(vecElements, objFit);
        SENSOR_ASSERT_EXPR(SNS_SUCCESS == nFitted,
                           "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], "
                           "&dnaParamList)",
                           "");
    }

    // The elements with "id" 10 and 11 stand for the wide-dynamic-range and
    // scene items that the device may not offer.
    if (p_bShowWDRFalg) removeById(pRoot, WDR_NOTICE_ID);
    if (g_bShoWBeawayFalg) removeById(pRoot, SCENE_NOTICE_ID);

    getXmlString(objStyleXmlDoc, strDnaStyle);
    return SNS_SUCCESS;
}

// Writes the range's default into every reached element with "id" p_nCmd and
// removes its options whose "index" the range does not allow. An option
// without "index" ends the whole walk with -1.
int doDnaStyle(TiXmlElement* p_pElement, int p_nCmd, const ia_dynamic_params_attr_st* p_pRange) {
    if (p_pRange == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pRange", "cmd(%d)\n", p_nCmd);
        return -1;
    }
    FitToRange objAction = {p_nCmd, *p_pRange};
    return walkById(p_pElement, p_nCmd, objAction);
}

// Rebuilds the range's item list from the "index" of the options of the
// element(s) with "id" p_nCmd; the last reached element's options stand. At
// most the record's 64 items are taken.
int doCustomizeStyle(TiXmlElement* p_pElement, int p_nCmd, ia_dynamic_params_attr_st* p_pRange) {
    if (p_pRange == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pRange", "cmd(%d)\n", p_nCmd);
        return -1;
    }
    CollectOptions objAction = {p_nCmd, *p_pRange};
    return walkById(p_pElement, p_nCmd, objAction);
}
