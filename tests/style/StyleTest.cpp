// The styles: merging the diversity document into the base style, the id
// search over a style tree, fitting a style to the ISP's ranges, the factory
// set read out of it, the system configuration record, what the user
// interface receives, and the bundled device data.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../params/ControllerFixture.h"
#include "SensorFile.h"
#include "SensorKeyTable.h"
#include "sensor.h"
#include "style/XmlDocument.h"
#include "platform/CameraPaths.h"

namespace {

// While g_stTamper.cmd is set, the count of its reply becomes g_stTamper.count:
// the command list's for the list command, the item list's for a range read.
struct {
    int cmd = 0;
    int count = 0;
} g_stTamper;

}  // namespace

// Stands in front of the replacement's ia_ioctrl_v2 in this program.
extern "C" int ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData) {
    typedef int (*Ioctrl)(int, ia_cmd_e, unsigned int, void*);
    static const Ioctrl s_pNext = reinterpret_cast<Ioctrl>(dlsym(RTLD_NEXT, "ia_ioctrl_v2"));
    if (s_pNext == nullptr) std::abort();
    const int nStatus = s_pNext(p_nChannel, p_eCmd, p_nOption, p_pData);
    if (nStatus != 0 || p_pData == nullptr || g_stTamper.cmd != static_cast<int>(p_eCmd)) return nStatus;
    if (p_eCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET && p_nOption == IA_CMD_OPT_GET)
        static_cast<ia_dynamic_params_cmds_st*>(p_pData)->cmd_cnt = g_stTamper.count;
    else if (p_nOption == IA_CMD_OPT_GET_PARAM_RNAGE)
        static_cast<ia_dynamic_params_attr_st*>(p_pData)->items_cnt = g_stTamper.count;
    return nStatus;
}

namespace {

typedef std::vector<std::string> Strings;

// The text printed the way the system prints a parsed document.
inline std::string printed(const std::string& p_strXml) {
    TiXmlDocument objDoc;
    LoadMem(objDoc, p_strXml.c_str(), TIXML_ENCODING_UTF8);
    std::string strOut;
    getXmlString(objDoc, strOut);
    return strOut;
}

// mergeStyle over a base text and a diversity text for a module detail text;
// the merged text.
inline std::string merge(const std::string& p_strBase, const std::string& p_strDiversity,
                         const std::string& p_strDetail, int p_nChannel = 1) {
    ModuleConfig stModule;
    memset(&stModule, 0, sizeof(stModule));
    strncpy(stModule.szDetail, p_strDetail.c_str(), sizeof(stModule.szDetail) - 1);
    char* szStyle = strdup(p_strBase.c_str());
    std::vector<char> vecDiversity(p_strDiversity.begin(), p_strDiversity.end());
    vecDiversity.push_back('\0');
    mergeStyle(p_nChannel, &stModule, &szStyle, vecDiversity.data());
    std::string strMerged = szStyle != nullptr ? szStyle : "";
    free(szStyle);
    return strMerged;
}

inline std::string attribute(const TiXmlElement* p_pElement, const char* p_szName, const char* p_szAbsent) {
    const char* szValue = p_pElement->Attribute(p_szName);
    return szValue != nullptr ? szValue : p_szAbsent;
}

// "key" of each tab of a style, with its "title" after a colon when it has one.
inline Strings tabs(const std::string& p_strStyle) {
    Strings vecTabs;
    TiXmlDocument objDoc;
    if (!LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8) || objDoc.RootElement() == nullptr) return vecTabs;
    for (const TiXmlElement* pTab = objDoc.RootElement()->FirstChildElement(); pTab != nullptr;
         pTab = pTab->NextSiblingElement())
        vecTabs.push_back(attribute(pTab, "key", "") +
                          (pTab->Attribute("title") ? ":" + attribute(pTab, "title", "") : ""));
    return vecTabs;
}

// What a style says of the parameter elements with one id, in document order:
// "value" ("-" without one) and the "index" of its options.
struct Param {
    std::string value;
    Strings options;
};

inline void collect(const TiXmlElement* p_pElement, int p_nId, std::vector<Param>& p_vecFound) {
    for (; p_pElement != nullptr; p_pElement = p_pElement->NextSiblingElement()) {
        if (p_pElement->Attribute("id") != nullptr && atoi(p_pElement->Attribute("id")) == p_nId) {
            Param stParam{attribute(p_pElement, "value", "-"), {}};
            for (const TiXmlElement* pOption = p_pElement->FirstChildElement(); pOption != nullptr;
                 pOption = pOption->NextSiblingElement())
                stParam.options.push_back(attribute(pOption, "index", "-"));
            p_vecFound.push_back(stParam);
        }
        collect(p_pElement->FirstChildElement(), p_nId, p_vecFound);
    }
}

inline std::vector<Param> params(const std::string& p_strStyle, int p_nId) {
    std::vector<Param> vecParams;
    TiXmlDocument objDoc;
    if (LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8)) collect(objDoc.RootElement(), p_nId, vecParams);
    return vecParams;
}

inline ispsim::Range range(int p_nCmd, int p_nDefault, const std::vector<int>& p_vecItems) {
    return ispsim::Range{p_nCmd,
                         0,
                         p_nDefault,
                         p_vecItems.empty() ? 0 : p_vecItems.front(),
                         p_vecItems.empty() ? 0 : p_vecItems.back(),
                         p_vecItems};
}

// Commands of the recorded calls with one option, in order.
inline std::vector<int> commandsWithOption(unsigned int p_nOption) {
    std::vector<int> vecCommands;
    for (const ispsim::Call& stCall : ispsim::calls())
        if (stCall.option == p_nOption) vecCommands.push_back(stCall.cmd);
    return vecCommands;
}

// Whether the output holds the console line of a failed check quoting the
// expression text.
inline bool reports(const std::string& p_strOut, const std::string& p_strExpression) {
    return p_strOut.find(p_strExpression + "   ~~~Assertion failed.") != std::string::npos;
}

// The functions the report headers of the output name ("fun:NAME line:").
inline std::set<std::string> reportingFunctions(const std::string& p_strOut) {
    std::set<std::string> setNames;
    for (size_t nPos = p_strOut.find(" fun:"); nPos != std::string::npos; nPos = p_strOut.find(" fun:", nPos + 1))
        setNames.insert(p_strOut.substr(nPos + 5, p_strOut.find(' ', nPos + 5) - nPos - 5));
    return setNames;
}

inline size_t occurrences(const std::string& p_strText, const std::string& p_strPiece) {
    size_t nCount = 0;
    for (size_t nPos = p_strText.find(p_strPiece); nPos != std::string::npos;
         nPos = p_strText.find(p_strPiece, nPos + p_strPiece.size()))
        ++nCount;
    return nCount;
}

typedef std::vector<std::pair<u32, u32>> Records;

const u32 kSentinel = 0xA5A5A5A5u;

// One fixture for the style tests: a controller laid out without init (for
// the user-interface queries), and what the call under test printed.
class StyleTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_BRIGHTNESS, 0}});
    }
    void TearDown() override {
        g_stTamper.cmd = 0;
        uinitSysConf(&m_stConf);
        ControllerFixture::TearDown();
    }
    // getDnaStyle on channel 1 (ISP channel 0).
    std::string fit(const std::string& p_strStyle, bool p_bShowWdr = false, int p_nChannel = 1) {
        std::string strOut;
        m_strStdout =
            printedBy([&] { EXPECT_EQ(SNS_SUCCESS, getDnaStyle(p_nChannel, p_strStyle.c_str(), strOut, p_bShowWdr)); });
        return strOut;
    }
    // getFctData on channel 1 into an array of p_nRoom records (and two guard
    // records past it); the records it reported.
    Records collect(const std::string& p_strStyle, u32 p_nRoom, bool p_bShowWdr = false) {
        m_vecArray.assign(p_nRoom + 2, KeyVal{kSentinel, kSentinel});
        std::vector<char> vecStyle(p_strStyle.begin(), p_strStyle.end());
        vecStyle.push_back('\0');
        m_nCount = kSentinel;
        m_strStdout = printedBy([&] {
            EXPECT_EQ(SNS_SUCCESS, getFctData(1, vecStyle.data(), m_vecArray.data(), &m_nCount, p_bShowWdr, p_nRoom));
        });
        Records vecRecords;
        for (u32 i = 0; i < m_nCount && i < m_vecArray.size(); ++i)
            vecRecords.emplace_back(m_vecArray[i].key, m_vecArray[i].value);
        return vecRecords;
    }
    // initSysConf with m_objModule.
    int init(int p_nChannel) {
        uinitSysConf(&m_stConf);
        int nResult = -1;
        m_strStdout = printedBy([&] { nResult = initSysConf(p_nChannel, m_objModule, &m_stConf); });
        return nResult;
    }
    std::string style() const { return m_stConf.szUIStyle != nullptr ? m_stConf.szUIStyle : "<null>"; }
    // getSensorParamRange with the outputs preset to 77 and p_strBefore.
    bool rangeText(int p_nCmd, const std::string& p_strBefore) {
        m_nDefault = 77;
        m_strRange = p_strBefore;
        bool bRet = false;
        m_strStdout = printedBy([&] { bRet = controller().getSensorParamRange(p_nCmd, m_nDefault, m_strRange); });
        return bRet;
    }

    std::string m_strStdout;
    SysConfig m_stConf = {};
    ModuleConfigure m_objModule;
    std::vector<KeyVal> m_vecArray;
    u32 m_nCount = 0;
    int m_nDefault = 0;
    std::string m_strRange;
};
using DnaStyleTest = StyleTest;
using FactoryDefaultsTest = StyleTest;
using StyleMergeTest = StyleTest;

class StyleSearchTest : public ::testing::Test {
protected:
    void load(const char* p_szXml) { ASSERT_TRUE(LoadMem(m_objDoc, p_szXml, TIXML_ENCODING_UTF8)); }
    TiXmlElement* root() { return m_objDoc.RootElement(); }
    std::string text() const {
        std::string strText;
        getXmlString(m_objDoc, strText);
        return strText;
    }

    TiXmlDocument m_objDoc;
    int m_nValue = -1;
};

// The 30 nested in the second match would come last in document order; a
// match without value leaves the value as it was. Numbers read as atoi reads
// them: no digits read as 0, a number beyond the int range is held at its end.
TEST_F(StyleSearchTest, TheLastReachedValueWinsAndAMatchIsNotSearchedInside) {
    load(
        "<s><tab><p id=\"49\" value=\"10\"/><p id=\"49\" value=\"20\"><p id=\"49\" value=\"30\"/></p></tab>"
        "<p id=\"50\" value=\"5\"/><p id=\"50\"/><p id=\" +52abc\" value=\"-12x\"/><p id=\"abc\" "
        "value=\"99999999999\"/></s>");
    for (const std::pair<int, int>& stCase :
         std::vector<std::pair<int, int>>{{49, 20}, {50, 5}, {51, 5}, {52, -12}, {0, 2147483647}}) {
        EXPECT_EQ(0, getDnaValbyCmdId(root(), stCase.first, m_nValue));
        EXPECT_EQ(stCase.second, m_nValue) << stCase.first;
    }
}

TEST_F(StyleSearchTest, GetNodeFindsTheLastMatchAndLeavesTheResultWithoutOne) {
    load("<s><a id=\"10\" n=\"1\"/><tab><b id=\"10\" n=\"2\"/></tab></s>");
    TiXmlElement* pFound = nullptr;
    EXPECT_EQ(0, getNodebyCmdId(root(), 10, pFound));
    ASSERT_NE(nullptr, pFound);
    EXPECT_STREQ("2", pFound->Attribute("n"));
    TiXmlElement* pUntouched = root();
    getNodebyCmdId(root(), 11, pUntouched);
    EXPECT_EQ(root(), pUntouched);
    EXPECT_EQ(0, getNodebyCmdId(nullptr, 10, pFound));
}

TEST_F(StyleSearchTest, ModifyNodeSwapsTheSwitchesEnableLists) {
    load(
        "<s><p id=\"112\" enable_list=\"113\"/><tab><p id=\"112\"/><p id=\"128\" enable_list=\"129\"/>"
        "<p id=\"34\" enable_list=\"x\"/></tab></s>");
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 112));
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 128));
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 34));
    EXPECT_EQ(printed("<s><p id=\"112\" enable_list=\"128\"/><tab><p id=\"112\" enable_list=\"128\"/>"
                      "<p id=\"128\" enable_list=\"112\"/><p id=\"34\" enable_list=\"x\"/></tab></s>"),
              text());
}

TEST_F(StyleSearchTest, DeleteNodeRemovesOnlyNodesWithAnElementParent) {
    load("<s><tab><p id=\"1\"/></tab></s>");
    TiXmlElement* pParam = root()->FirstChildElement()->FirstChildElement();
    EXPECT_EQ(-1, DeleteNode(nullptr, pParam));
    EXPECT_EQ(-1, DeleteNode(root(), nullptr));
    EXPECT_EQ(0, DeleteNode(root(), root()));
    ASSERT_NE(nullptr, root());
    TiXmlElement objDetached("p");
    EXPECT_EQ(0, DeleteNode(root(), &objDetached));
    EXPECT_EQ(0, DeleteNode(root(), pParam));
    EXPECT_EQ(printed("<s><tab/></s>"), text());
}

const char* const kBase =
    "<style>"
    "<tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
    "<tab key=\"lens\" title=\"Lens\"><param id=\"1536\" value=\"0\"/></tab>"
    "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab>"
    "</style>";
const Strings kBaseTabs = {"image:Image", "lens:Lens", "wdr:WDR"};
const Strings kWithoutLens = {"image:Image", "wdr:WDR"};

// One condition deleting the lens tab when the attribute holds.
std::string deleteLensWhen(const std::string& p_strAttributes) {
    return "<cond " + p_strAttributes + "><Delete tab_key=\"lens\"/></cond>";
}

// A condition's value agrees with the detail field on its first five
// characters, item by item of a list or as a whole.
TEST_F(StyleMergeTest, ConditionAgreesOnTheFirstFiveCharacters) {
    const struct {
        const char* szAccepted;  // the condition attribute's value
        const char* szDetailValue;
        bool bMatches;
    } aCases[] = {{"IMX334", "IMX334", true},
                  {"IMX290,IMX334", "IMX334", true},
                  {"IMX290,IMX334", "IMX33", true},
                  {"IMX290,IMX334", "IMX3345", true},
                  {"IMX33", "IMX339", true},
                  {"IMX290,IMX334", "IMX34", false},
                  {"1", "17", false},
                  {"17", "1", false},  // shorter than five: equal only
                  {"12,34", "12,345", true},
                  {"", "", true},
                  {"imx334", "IMX334", false}};
    for (const auto& c : aCases)
        EXPECT_EQ(c.bMatches ? kWithoutLens : kBaseTabs,
                  tabs(merge(kBase, deleteLensWhen(std::string("sensor=\"") + c.szAccepted + "\""),
                             std::string("(max_scheme=4)(sensor=") + c.szDetailValue + ")")))
            << c.szAccepted << " / " << c.szDetailValue;
}

struct MergeCase {
    const char* what;
    std::string base, diversity, detail;
    Strings tabs;
};

TEST_F(StyleMergeTest, TheMatchingConditionsApplyTheirTabOperations) {
    const std::string strTwoA = "<style><tab key=\"a\" title=\"1\"/><tab key=\"a\" title=\"2\"/></style>";
    const std::vector<MergeCase> vecCases = {
        // The empty value would agree with an empty field: only the missing
        // field keeps the condition from holding.
        {"field the detail lacks", kBase, deleteLensWhen("nosuch=\"\""), "(max_scheme=4)(sensor=)", kBaseTabs},
        {"value longer than its buffer", kBase, deleteLensWhen("sensor=\"IMX334\""),
         "(sensor=IMX33" + std::string(400, 'x') + ")", kWithoutLens},
        {"first matching attribute, once",
         kBase,
         "<cond sensor=\"IMX290\" iris=\"P-Iris\" wdr=\"120dB\"><AddAfter tab_key=\"image\"><tab key=\"extra\"/>"
         "</AddAfter></cond>",
         "(sensor=IMX334)(iris=P-Iris)(wdr=120dB)",
         {"image:Image", "extra", "lens:Lens", "wdr:WDR"}},
        // The second condition acts on the tab the first one added.
        {"conditions in document order",
         kBase,
         "<first iris=\"P-Iris\"><AddAfter tab_key=\"image\"><tab key=\"iris\" title=\"DC\"/></AddAfter></first>"
         "<skipped wdr=\"140dB\"><Delete tab_key=\"image\"/></skipped>"
         "<second wdr=\"120dB\"><Modify tab_key=\"iris\"><tab key=\"iris\" title=\"P\"/></Modify></second>",
         "(iris=P-Iris)(wdr=120dB)",
         {"image:Image", "iris:P", "lens:Lens", "wdr:WDR"}},
        {"modify of an added tab",
         kBase,
         "<cond lensId=\"3\"><AddAfter tab_key=\"lens\"><tab key=\"zoom\" title=\"added\"/></AddAfter>"
         "<Modify tab_key=\"zoom\"><tab key=\"zoom\" title=\"replaced\"/></Modify></cond>",
         "(lensId=3)",
         {"image:Image", "lens:Lens", "zoom:replaced", "wdr:WDR"}},
        {"delete of the first of two keys", strTwoA, "<c a=\"1\"><Delete tab_key=\"a\"/></c>", "(a=1)", {"a:2"}},
        {"add after the first of two keys",
         strTwoA,
         "<c a=\"1\"><AddAfter tab_key=\"a\"><tab key=\"n\"/></AddAfter></c>",
         "(a=1)",
         {"a:1", "n", "a:2"}},
    };
    for (const MergeCase& stCase : vecCases)
        EXPECT_EQ(stCase.tabs, tabs(merge(stCase.base, stCase.diversity, stCase.detail))) << stCase.what;
}

TEST_F(StyleMergeTest, OperationsThatCannotApplyChangeNothing) {
    for (const char* szOperation :
         {"<Remove tab_key=\"lens\"/>",  // unknown operation
          "<delete tab_key=\"lens\"/>",  // names compare exactly
          "<Delete tab_key=\"Lens\"/>",  // so do tab keys
          "<Delete/>",                   // no tab key
          "<Modify tab_key=\"lens\"/>",  // no new tab: the tab is kept
          "<AddAfter tab_key=\"lens\"/>", "<Modify tab_key=\"nosuch\"><tab key=\"x\"/></Modify>"})
        EXPECT_EQ(printed(kBase), merge(kBase, std::string("<c a=\"1\">") + szOperation + "</c>", "(a=1)"))
            << szOperation;
}

TEST_F(StyleMergeTest, TheMergedDocumentIsSavedForTheChannelAndReplacesTheText) {
    const std::string strMerged = merge(kBase, deleteLensWhen("a=\"1\""), "(a=1)", 2);
    EXPECT_EQ(printed("<style><tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
                      "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab></style>"),
              printed(strMerged));
    EXPECT_EQ(strMerged, readFile("/tmp/merge_style_ch2.xml"));
    EXPECT_FALSE(fileExists("/tmp/merge_style_ch1.xml"));
}

struct BrokenCase {
    std::string base, diversity, detail, merged;
    std::vector<std::pair<std::string, size_t>> reports;  // the expression and how often it is reported
};

TEST_F(StyleMergeTest, BrokenInputIsReportedAndMergedAsFarAsItGoes) {
    const std::vector<BrokenCase> vecCases = {
        {kBase,
         "",
         "(a=1)",
         printed(kBase),
         {{"doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", 1},
          {"NULL != (node_first = doc_style_div.RootElement())", 1}}},
        {"",
         deleteLensWhen("a=\"1\""),
         "(a=1)",
         "",
         {{"doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", 1}, {"doc_style.SaveFile(filename)", 0}}},
        // A matched condition without operations; the next one still applies.
        {kBase,
         "<empty a=\"1\"/>" + deleteLensWhen("a=\"1\""),
         "(a=1)",
         merge(kBase, deleteLensWhen("a=\"1\""), "(a=1)"),
         {{"NULL != (node_second = node_first->FirstChildElement())", 1}}},
        {"<style/>",
         deleteLensWhen("a=\"1\"") + deleteLensWhen("b=\"2\""),
         "(a=1)(b=2)",
         printed("<style/>"),
         {{"NULL != (tab_node = doc_style->RootElement()->FirstChildElement())", 2}}},
    };
    // Traces too: every report names the function the host or init called.
    setDebugControl("6\n");
    for (const BrokenCase& stCase : vecCases) {
        SCOPED_TRACE(stCase.diversity);
        std::string strMerged;
        const std::string strOut = printedBy([&] { strMerged = merge(stCase.base, stCase.diversity, stCase.detail); });
        EXPECT_EQ(stCase.merged, strMerged);
        for (const std::pair<std::string, size_t>& stReport : stCase.reports)
            EXPECT_EQ(stReport.second, occurrences(strOut, stReport.first + "   ~~~Assertion failed."))
                << stReport.first;
        for (const std::string& strName : reportingFunctions(strOut))
            EXPECT_TRUE(strName == "mergeStyle" || strName == "updateStyleTab" || strName == "loadFromFile") << strName;
    }
}

// The scene flag off unless a test sets it; StartedControllers sets it again.
const char* const kThreeOptions =
    "<s><tab key=\"t\"><p id=\"34\" value=\"9\"><o index=\"0\"/><o index=\"1\"/><o index=\"2\"/></p></tab></s>";

// No listed command, a listed command without element, an unread list.
TEST_F(DnaStyleTest, WithNothingToFitTheStyleStaysAsPrinted) {
    listRanges({});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_EQ((std::vector<int>{IA_CMD_DYNAMIC_PARAMS_CMDS_GET}), commandsWithOption(IA_CMD_OPT_GET));
    listRanges({range(2497, 30, {25, 30})});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    listRanges({range(34, 2, {0, 2})});
    ispsim::clearCalls();
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1);
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_TRUE(commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).empty());
    EXPECT_TRUE(reports(m_strStdout,
                        "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                        "IA_CMD_OPT_GET, (void*)(&dnaCmdList))"));
}

TEST_F(DnaStyleTest, AListedCommandTakesTheIspDefaultAndLosesDisallowedOptions) {
    listRanges({range(34, 2, {0, 2})});
    const std::vector<Param> vecParams = params(fit(kThreeOptions), 34);
    ASSERT_EQ(1u, vecParams.size());
    EXPECT_EQ("2", vecParams[0].value);
    EXPECT_EQ((Strings{"0", "2"}), vecParams[0].options);
    EXPECT_EQ((std::vector<int>{34}), commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE));
    // Channel 2 asks the ISP on its channel 1.
    listRanges({});
    listRanges({range(34, 3, {0, 3})}, 1);
    ispsim::clearCalls();
    EXPECT_EQ("3", params(fit(kThreeOptions, false, 2), 34)[0].value);
    for (const ispsim::Call& stCall : ispsim::calls()) EXPECT_EQ(1, stCall.channel) << stCall.cmd;
}

// Every element with the id is fitted, but not one inside a match; an option
// without index stops that element's filtering only.
TEST_F(DnaStyleTest, EveryElementWithTheIdIsFittedButNotOneInsideAMatch) {
    setDebugControl("6\n");
    listRanges({range(34, 5, {1}), range(35, 8, {1})});
    const std::string strOut =
        fit("<s><p id=\"34\" value=\"0\"><o index=\"1\"><p id=\"34\" value=\"0\"/></o><o index=\"3\"/></p>"
            "<tab><p id=\"34\" value=\"0\"><o index=\"2\"/><o/><o index=\"3\"/></p></tab>"
            "<p id=\"35\" value=\"0\"><o index=\"1\"/><o index=\"2\"/></p></s>");
    const std::vector<Param> vecParams = params(strOut, 34);
    ASSERT_EQ(3u, vecParams.size());
    EXPECT_EQ("5", vecParams[0].value);
    EXPECT_EQ((Strings{"1"}), vecParams[0].options);
    EXPECT_EQ("0", vecParams[1].value);
    EXPECT_EQ("5", vecParams[2].value);
    EXPECT_EQ((Strings{"-", "3"}), vecParams[2].options);
    EXPECT_EQ((Strings{"1"}), params(strOut, 35).at(0).options);
    EXPECT_TRUE(reports(m_strStdout,
                        "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), "
                        "dnaCmdList.cmd_list[i], &dnaParamList)"));
    // The fitting traces are doDnaStyle's, whatever runs them inside it.
    EXPECT_EQ((std::set<std::string>{"getDnaStyle", "doDnaStyle"}), reportingFunctions(m_strStdout));
}

// Only for six commands can the style's value win, where the ISP lists it;
// their item walk is printed line by line up to the match. Command 49's own
// option list (a style value of 200 and up) keeps the style's options.
TEST_F(DnaStyleTest, TheStyleValueWinsOnlyWhereTheIspAllowsIt) {
    const struct {
        int cmd, styleValue;
        std::vector<int> items;  // the ISP's default is 6
        int fitted;
    } aCases[] = {{49, 9, {4, 6, 9}, 9},     {51, 9, {4, 6, 9}, 9}, {55, 9, {4, 6, 9}, 9}, {56, 9, {4, 6, 9}, 9},
                  {1537, 9, {4, 6, 9}, 9},   {50, 5, {4, 6, 9}, 6},  // not allowed: the ISP's default
                  {50, 100, {4, 6, 100}, 6},                         // 100 keeps the ISP's default
                  {34, 9, {4, 6, 9}, 6},                             // not one of the six
                  {50, 250, {4, 250}, 250},                          // the offset is command 49's alone
                  {49, 250, {4, 250}, 50},                           // 200 and up: the value less 200
                  {49, 200, {4, 200}, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(c.cmd) + " " + std::to_string(c.styleValue));
        listRanges({range(c.cmd, 6, c.items)});
        const std::string strStyle =
            "<s><p id=\"" + std::to_string(c.cmd) + "\" value=\"" + std::to_string(c.styleValue) + "\"/></s>";
        EXPECT_EQ(std::to_string(c.fitted), params(fit(strStyle), c.cmd)[0].value);
        EXPECT_EQ(c.cmd != 34 && c.styleValue != 100, m_strStdout.find("dnaParamList.items_cnt(") != std::string::npos);
    }
    listRanges({range(49, 6, {1, 2})});
    const std::vector<Param> vecParams =
        params(fit("<s><p id=\"49\" value=\"250\"><o index=\"5\"/><o index=\"50\"/><o index=\"70\"/></p></s>"), 49);
    EXPECT_EQ("50", vecParams.at(0).value);
    EXPECT_EQ((Strings{"5", "50", "70"}), vecParams[0].options);
    listRanges({range(50, 6, {4, 9, 12})});
    fit("<s><p id=\"50\" value=\"9\"/></s>");
    EXPECT_NE(std::string::npos, m_strStdout.find("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"
                                                  " dnaParamList.item[0] = 4 nVal = 9 \n"
                                                  " dnaParamList.item[1] = 9 nVal = 9 \n"));
    EXPECT_EQ(std::string::npos, m_strStdout.find("item[2]"));
}

TEST_F(DnaStyleTest, TheFlagsRemoveTheLastElementWithTheirId) {
    g_bShoWBeawayFalg = false;
    const std::string strStyle =
        "<s><p id=\"10\" value=\"0\"/><p id=\"11\" value=\"0\"/><tab><p id=\"10\"/><p id=\"11\"/></tab></s>";
    EXPECT_EQ(printed(strStyle), fit(strStyle, false));
    EXPECT_EQ(printed("<s><p id=\"10\" value=\"0\"/><p id=\"11\" value=\"0\"/><tab><p id=\"11\"/></tab></s>"),
              fit(strStyle, true));
    g_bShoWBeawayFalg = true;
    EXPECT_EQ(printed("<s><p id=\"10\" value=\"0\"/><p id=\"11\" value=\"0\"/><tab/></s>"), fit(strStyle, true));
    EXPECT_EQ(printed("<s/>"), fit("<s/>", true));
}

TEST_F(DnaStyleTest, AStyleThatDoesNotParseIsReportedAndFittedAsFarAsItWasRead) {
    listRanges({range(34, 2, {0, 2})});
    EXPECT_EQ(printed("<s><p id=\"34\" value=\"2\"/></s>"), fit("<s><p id=\"34\"><o index=\"1\"/>"));
    EXPECT_TRUE(reports(m_strStdout, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)"));
}

// The record still holds command 34's range when 35's read fails.
TEST_F(DnaStyleTest, AFailedRangeReadLeavesThatCommandAsTheStyleHasIt) {
    listRanges({range(34, 2, {0, 2}), range(35, 3, {1}), range(36, 1, {1})});
    ispsim::failCommand(0, 35, -1);
    std::string strStyle = "<s>";
    for (int nCmd : {34, 35, 36})
        strStyle += "<p id=\"" + std::to_string(nCmd) + "\" value=\"9\"><o index=\"0\"/><o index=\"1\"/></p>";
    const std::string strOut = fit(strStyle + "</s>");
    EXPECT_EQ("2", params(strOut, 34)[0].value);
    EXPECT_EQ("9", params(strOut, 35)[0].value);
    EXPECT_EQ((Strings{"0", "1"}), params(strOut, 35)[0].options);
    EXPECT_EQ("1", params(strOut, 36)[0].value);
    EXPECT_EQ((Strings{"1"}), params(strOut, 36)[0].options);
    EXPECT_EQ((std::vector<int>{34, 35, 36}), commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE));
    EXPECT_TRUE(reports(m_strStdout,
                        "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                        "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))"));
}

// A command list of 1000 is read to its sixteen commands, 100000 items to
// their 64, a negative item count allows no option.
TEST_F(DnaStyleTest, OversizedOrNegativeCountsAreBoundedToTheRecords) {
    std::vector<ispsim::Range> vecRanges;
    for (int nCmd = 1000; nCmd < 1016; ++nCmd) vecRanges.push_back(range(nCmd, 1, {1}));
    listRanges(vecRanges);
    g_stTamper = {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, 1000};
    fit("<s/>");
    EXPECT_EQ(16u, commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).size());
    EXPECT_TRUE(reports(m_strStdout, "0 <= dnaCmdList.cmd_cnt && dnaCmdList.cmd_cnt <= IA_DYNAMIC_PARAMS_CMDS_MAX"));

    std::vector<int> vecItems;
    std::string strStyle = "<s><p id=\"50\" value=\"-1\">";
    for (int i = 0; i < 70; ++i) strStyle += "<o index=\"" + std::to_string(i) + "\"/>";
    for (int i = 0; i < 64; ++i) vecItems.push_back(i);
    listRanges({range(50, 0, vecItems)});
    g_stTamper = {50, 100000};
    EXPECT_EQ(64u, params(fit(strStyle + "</p></s>"), 50).at(0).options.size());
    EXPECT_EQ(64u, occurrences(m_strStdout, " dnaParamList.item["));
    EXPECT_NE(std::string::npos, m_strStdout.find("dnaParamList.items_cnt(64)"));

    listRanges({range(34, 4, {0, 1})});
    g_stTamper = {34, -5};
    const std::vector<Param> vecParams = params(fit(kThreeOptions), 34);
    EXPECT_EQ("4", vecParams.at(0).value);
    EXPECT_TRUE(vecParams[0].options.empty());
}

// doCustomizeStyle reads the indexed options of the last matching element
// into the range record, never past its item array.
TEST(CustomizeStyleTest, TheLastMatchingElementsIndexedOptionsStandUpToTheRecordsRoom) {
    struct Case {
        std::string elements;
        int count, first, last, minValue, maxValue;
        bool reported;
    };
    std::string strMany = "<p id=\"49\">";
    for (int i = 0; i < 80; ++i) strMany += "<o index=\"" + std::to_string(100 + i) + "\"/>";
    for (const Case& stCase :
         {Case{
              "<p id=\"49\"><o index=\"1\"/></p><p id=\"49\"><o index=\"3\"/><o/><o index=\"-2\"/><o index=\"9\"/></p>",
              3, 3, 9, 3, 9, false},
          Case{"<p id=\"49\"><o/></p>", 0, 0, 0, -7, -8, false},
          Case{strMany + "</p>", 64, 100, 163, 100, 163, true}}) {
        SCOPED_TRACE(stCase.count);
        TiXmlDocument objDoc;
        ASSERT_TRUE(LoadMem(objDoc, ("<s>" + stCase.elements + "</s>").c_str(), TIXML_ENCODING_UTF8));
        ia_dynamic_params_attr_st stRange;
        memset(&stRange, 0, sizeof(stRange));
        stRange.min_val = -7;
        stRange.max_val = -8;
        stRange.items_cnt = 5;
        const std::string strOut =
            printedBy([&] { EXPECT_EQ(0, doCustomizeStyle(objDoc.RootElement(), 49, &stRange)); });
        EXPECT_EQ(stCase.count, stRange.items_cnt);
        if (stCase.count > 0) {
            EXPECT_EQ(stCase.first, stRange.item[0]);
            EXPECT_EQ(stCase.last, stRange.item[stCase.count - 1]);
        }
        EXPECT_EQ((std::vector<int>{stCase.minValue, stCase.maxValue}),
                  (std::vector<int>{stRange.min_val, stRange.max_val}));
        EXPECT_EQ(stCase.reported, reports(strOut, "n < IA_DYNAMIC_PARAMS_ITEMS_MAX"));
        EXPECT_EQ(stCase.reported ? std::set<std::string>{"doCustomizeStyle"} : std::set<std::string>{},
                  reportingFunctions(strOut));
    }
}

TEST_F(FactoryDefaultsTest, RecordsFollowDocumentOrderEachElementBeforeItsChildren) {
    EXPECT_EQ((Records{{1, 2}, {34, 50}, {3, 4}, {34, 60}, {5, 0xFFFFFFFFu}}),
              collect("<s><tab id=\"1\" value=\"2\"><p id=\"34\" value=\"50\"><o id=\"3\" value=\"4\"/></p>"
                      "<p id=\"35\"/><p value=\"9\"/><p id=\"34\" value=\"60\"/></tab><p id=\"5\" value=\"-1\"/></s>",
                      170));
    EXPECT_EQ(kSentinel, m_vecArray[5].key);
    EXPECT_TRUE(collect("<s><tab><p id=\"34\"/></tab></s>", 170).empty());
    EXPECT_EQ(0u, m_nCount);
    // An empty style gives an empty set, with a report.
    EXPECT_TRUE(collect("", 170).empty());
    EXPECT_EQ(0u, m_nCount);
    EXPECT_TRUE(reports(m_strStdout, "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)"));
}

TEST_F(FactoryDefaultsTest, TheFittedDefaultsAndTheFlagsShapeTheSet) {
    listRanges({range(34, 70, {70}), range(50, 6, {4, 9}), range(49, 6, {1})});
    const std::string strStyle =
        "<s><p id=\"8000\" value=\"0\"/><p id=\"10\" value=\"0\"/><p id=\"34\" value=\"50\"/>"
        "<p id=\"50\" value=\"9\"/><p id=\"49\" value=\"205\"><o index=\"5\"/></p><p id=\"10\" value=\"1\"/></s>";
    EXPECT_EQ((Records{{8000, 0}, {10, 0}, {34, 70}, {50, 9}, {49, 5}, {10, 1}}), collect(strStyle, 170, false));
    EXPECT_EQ((Records{{8000, 0}, {10, 0}, {34, 70}, {50, 9}, {49, 5}}), collect(strStyle, 170, true));
}

TEST_F(FactoryDefaultsTest, TheSurplusOverTheCapacityIsDroppedWithAReport) {
    EXPECT_EQ((Records{{1, 1}, {2, 2}}),
              collect("<s><p id=\"1\" value=\"1\"/><tab><p id=\"2\" value=\"2\"/><p id=\"3\" value=\"3\"/></tab>"
                      "<p id=\"4\" value=\"4\"/></s>",
                      2));
    EXPECT_EQ(kSentinel, m_vecArray[2].key);
    EXPECT_EQ(kSentinel, m_vecArray[3].value);
    EXPECT_TRUE(reports(m_strStdout, "*p_pnKeyValNum < p_nCapacity"));
    EXPECT_TRUE(reports(m_strStdout, "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)"));
    EXPECT_NE(std::string::npos, m_strStdout.find("p_pnKeyValNum(2)"));
    // Exactly filling the array is no failure.
    EXPECT_EQ((Records{{1, 1}, {2, 2}}), collect("<s><p id=\"1\" value=\"1\"/><p id=\"2\" value=\"2\"/></s>", 2));
    EXPECT_EQ(std::string::npos, m_strStdout.find("Assertion failed"));
}

const char* const kStyleDir = "/hd1/moduleConfig/sensorConfig/style/";
const char* const kDiversityDir = "/hd1/moduleConfig/sensorConfig/styleDiversity/";

// The two ends of the device-type check's expression, as its report quotes it.
const char* const kDeviceTypeHead = "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT";
const char* const kDeviceTypeTail =
    "DeviceType::THERMAL_IPDOME == p_stSysConf->nDeviceType || "
    "DeviceType::DOMECORE_THERMAL_DEVICE == p_stSysConf->nDeviceType";

// Each base style names itself in its tab; each diversity document adds a
// tab naming itself, so the merged text shows which two were read.
class SystemConfigTest : public StyleTest {
protected:
    void SetUp() override {
        StyleTest::SetUp();
        for (const std::string strName : {"Style", "Style_dome", "Style_Thermal"}) {
            const std::string strDiversity = "StyleDiversity" + strName.substr(5);
            writeFile(kStyleDir + strName + ".xml", "<style><tab key=\"" + strName + "\"/></style>");
            writeFile(kDiversityDir + strDiversity + ".xml", "<all max_scheme=\"4\"><AddAfter tab_key=\"" + strName +
                                                                 "\"><tab key=\"" + strDiversity +
                                                                 "\"/></AddAfter></all>");
        }
        m_objModule.setModuleId(3);
        m_objModule.setDetail("(max_scheme=4)(isInfrared=1)");
        m_objModule.setParameters("sensor=IMX334");
    }
};

TEST_F(SystemConfigTest, TheDeviceTypeAndChannelChooseTheStyleFiles) {
    const struct {
        int nDeviceType, nChannel;
        const char* szStyle;
    } aCases[] = {{1, 1, "Style"},       {13, 1, "Style"},         {13, 2, "Style_Thermal"}, {14, 2, "Style_Thermal"},
                  {15, 2, "Style"},      {17, 2, "Style_Thermal"}, {22, 1, "Style"},         {4, 2, "Style_dome"},
                  {19, 1, "Style_dome"}, {19, 2, "Style_Thermal"}, {23, 2, "Style_Thermal"}, {104, 2, "Style_dome"}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(c.nDeviceType) + " ch" + std::to_string(c.nChannel));
        setDeviceType(c.nDeviceType);
        EXPECT_EQ(SNS_SUCCESS, init(c.nChannel));
        EXPECT_EQ((Strings{c.szStyle, "StyleDiversity" + std::string(c.szStyle).substr(5)}), tabs(style()));
        EXPECT_EQ(c.nDeviceType, m_stConf.nDeviceType);
        EXPECT_EQ(std::string::npos, m_strStdout.find("~~~Assertion failed"));
    }
}

TEST_F(SystemConfigTest, AnUnknownOrMissingDeviceTypeIsReportedWholeAndTakesTheDomeFiles) {
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_TRUE(reports(m_strStdout,
                        "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/"
                        "machineinfo.ini\", machineInfo)"));
    EXPECT_TRUE(reports(m_strStdout, kDeviceTypeTail));
    EXPECT_EQ("Style_dome", tabs(style()).at(0));
    setDeviceType(2);
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_NE(std::string::npos, m_strStdout.find(kDeviceTypeHead));
    EXPECT_TRUE(reports(m_strStdout, kDeviceTypeTail));
    EXPECT_EQ((Strings{"Style_dome", "StyleDiversity_dome"}), tabs(style()));
    EXPECT_EQ(2, m_stConf.nDeviceType);
    // The error log keeps a report cut to its buffer, terminated.
    const std::string strLog = readFile(camerapath::ERROR_LOG_FILE);
    EXPECT_NE(std::string::npos, strLog.find(kDeviceTypeHead));
    EXPECT_EQ(std::string::npos, strLog.find("DOMECORE_THERMAL_DEVICE"));
}

TEST_F(SystemConfigTest, TheModuleTextsAreCopiedAndCutToTheirFieldsAndGiveTheSchemeCount) {
    setDeviceType(1);
    const std::string strDetail = "(max_scheme=6)" + std::string(600, 'd');
    m_objModule.setDetail(strDetail);
    m_objModule.setParameters(std::string(300, 'p'));
    init(1);
    EXPECT_EQ(3, m_stConf.moduleConfig.nModuleId);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szName);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szVersion);
    EXPECT_EQ(strDetail.substr(0, 511), std::string(m_stConf.moduleConfig.szDetail));
    EXPECT_EQ(std::string(255, 'p'), std::string(m_stConf.moduleConfig.szParameters));
    EXPECT_EQ(6u, m_stConf.nSchemeSum);
    EXPECT_EQ(nullptr, m_stConf.pUIFiles);
    // The scheme count comes from the detail field (read as DetailNumberTest
    // shows), 4 without it or above 16.
    for (const std::pair<const char*, u32>& stCase : std::vector<std::pair<const char*, u32>>{{"(isInfrared=1)", 4},
                                                                                              {"(max_scheme=0)", 0},
                                                                                              {"(max_scheme=16)", 16},
                                                                                              {"(max_scheme=17)", 4},
                                                                                              {"(max_scheme=-1)", 4}}) {
        m_objModule.setDetail(stCase.first);
        init(1);
        EXPECT_EQ(stCase.second, m_stConf.nSchemeSum) << stCase.first;
    }
}

TEST_F(SystemConfigTest, AMissingStyleDocumentIsReported) {
    setDeviceType(1);
    removeFile(std::string(kStyleDir) + "Style.xml");
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_EQ("", style());
    EXPECT_TRUE(reports(m_strStdout,
                        "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                        "getFileLen(strStyleFileName.c_str())) > 0"));
    EXPECT_TRUE(reports(m_strStdout, "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)"));
    EXPECT_TRUE(fileExists("/tmp/merge_style_ch1.xml"));
    // Without the diversity document the base stays as printed.
    setDeviceType(4);
    removeFile(std::string(kDiversityDir) + "StyleDiversity_dome.xml");
    init(1);
    EXPECT_EQ((Strings{"Style_dome"}), tabs(style()));
    EXPECT_TRUE(reports(m_strStdout,
                        "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                        "getFileLen(strStyleDivFileName.c_str())) > 0"));
}

TEST_F(SystemConfigTest, UinitFreesTheOwnedTextsOnce) {
    setDeviceType(1);
    init(1);
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    UIFileInfo arrFiles[2] = {{1, strdup("lang1"), strdup("common1")}, {2, nullptr, strdup("common2")}};
    m_stConf.pUIFiles = arrFiles;
    m_stConf.nUIFileSum = 2;
    uinitSysConf(&m_stConf);
    EXPECT_EQ(nullptr, m_stConf.szUIStyle);
    EXPECT_EQ(nullptr, arrFiles[0].szLanguageFile);
    EXPECT_EQ(nullptr, arrFiles[1].szCommonFile);
    uinitSysConf(&m_stConf);
    m_stConf.pUIFiles = nullptr;
    m_stConf.nUIFileSum = 0;
    uinitSysConf(nullptr);
}

using UiQueriesTest = StyleTest;

// Items are appended with one blank between. A range not given writes
// nothing: 51 is no item list; 34 is listed but no range command, 56 a range
// command but unlisted; the range of 49 cannot be read; 1537 is held back by
// the zoom/focus lock.
TEST_F(UiQueriesTest, ItemsAreAppendedWithOneBlankBetweenAndARangeNotGivenWritesNothing) {
    const struct {
        std::vector<int> items;
        const char *before, *expected;
    } aCases[] = {{{1, 2, 4}, "", "1 2 4"}, {{717}, "", "717"}, {{1, 2, 4}, "x9", "x91 2 4"}};
    for (const auto& c : aCases) {
        listRanges({{49, 0, 2, 0, 0, c.items}});
        EXPECT_TRUE(rangeText(49, c.before));
        EXPECT_EQ(2, m_nDefault);
        EXPECT_EQ(c.expected, m_strRange);
        EXPECT_NE(std::string::npos,
                  m_strStdout.find(std::string("cmd=49 DefaltParam=2 strParamRange=") + c.expected + "\n"));
    }
    listRanges(
        {{34, 0, 50, 0, 100, {0, 50}}, {49, 0, 2, 1, 4, {1, 2}}, {1537, 0, 3, 1, 9, {1, 3}}, {51, 1, 8, 1, 30, {}}});
    EXPECT_TRUE(rangeText(51, "keep"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
    ispsim::failCommand(0, 49, -1);
    access().zoomFocusParam().setLockZoomFocusEnable(true);
    for (int nCmd : {34, 56, 49, 1537}) {
        EXPECT_FALSE(rangeText(nCmd, "keep")) << nCmd;
        EXPECT_EQ(77, m_nDefault);
        EXPECT_EQ("keep", m_strRange);
    }
    access().zoomFocusParam().setLockZoomFocusEnable(false);
    EXPECT_TRUE(rangeText(1537, ""));
    EXPECT_EQ("1 3", m_strRange);
}

// A video module that, while it is asked, checks from another thread that the
// controller's lock is free.
class LockProbeVideoModule : public SimulatedVideoModule {
public:
    explicit LockProbeVideoModule(ISensorController& p_objController) : m_objController(p_objController) {}
    int isVideoBusy() const override {
        m_vecProbes.push_back(std::async(std::launch::async, [this] { m_objController.getUICommonFile(0); }));
        m_bLockFree = m_vecProbes.back().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        return 0;
    }
    mutable bool m_bLockFree = false;

private:
    ISensorController& m_objController;
    // Kept past the question: a probe blocked on the lock ends only after the
    // style request has released it.
    mutable std::vector<std::future<void>> m_vecProbes;
};

// The style answer is fitted (82 takes the ISP's 717) however long the video
// module stays busy: at most thirty pauses, none without a module, and the
// controller's lock is not held while waiting.
TEST_F(UiQueriesTest, ABusyVideoModuleDelaysTheStyleByAtMostThirtyPausesWithoutTheLock) {
    listRanges({{82, 0, 717, 410, 2816, {410, 717}}});
    char szStyle[] = "<style><param id=\"82\" value=\"5\"><item index=\"410\"/></param></style>";
    access().sysConf().szUIStyle = szStyle;
    controller().setVideoStreamModule(nullptr);
    EXPECT_NE(std::string::npos, controller().getUIStyleFile().find("value=\"717\""));
    EXPECT_EQ(0u, hostsim::waitCount());
    controller().setVideoStreamModule(&m_objVideo);
    m_objVideo.setBusyAnswers(3);
    controller().getUIStyleFile();
    EXPECT_EQ(4, m_objVideo.busyQuestions());
    EXPECT_EQ(3u, hostsim::waitCount());
    m_objVideo.setBusyAnswers(-1);
    hostsim::resetWaitCount();
    EXPECT_NE(std::string::npos, controller().getUIStyleFile().find("value=\"717\""));
    EXPECT_EQ(4 + 30, m_objVideo.busyQuestions());
    EXPECT_EQ(30u, hostsim::waitCount());
    LockProbeVideoModule objProbe(controller());
    controller().setVideoStreamModule(&objProbe);
    controller().getUIStyleFile();
    controller().setVideoStreamModule(&m_objVideo);
    EXPECT_TRUE(objProbe.m_bLockFree);
    access().sysConf().szUIStyle = nullptr;
}

TEST_F(UiQueriesTest, UiFileNamesByIdElseTheFirstRecordElseEmpty) {
    EXPECT_EQ("", controller().getUICommonFile(1));
    EXPECT_EQ("", controller().getUILanguageFile(1));
    char szLanguage[] = "lang_en.js", szCommon1[] = "common1.js", szCommon2[] = "common2.js";
    UIFileInfo arrFiles[] = {{1, szLanguage, szCommon1}, {2, nullptr, szCommon2}};
    access().sysConf().pUIFiles = arrFiles;
    access().sysConf().nUIFileSum = 2;
    EXPECT_EQ("common2.js", controller().getUICommonFile(2));
    EXPECT_EQ("", controller().getUILanguageFile(2));
    EXPECT_EQ("lang_en.js", controller().getUILanguageFile(9));
    access().sysConf().pUIFiles = nullptr;
    access().sysConf().nUIFileSum = 0;
}

struct ProfileCase {
    const char* profile;
    int channel;
    u32 storedKeys;
    Strings tabs;
    std::vector<std::pair<u32, u32>> fitted;  // key, factory value
};

std::ostream& operator<<(std::ostream& p_stream, const ProfileCase& p_stCase) {
    return p_stream << p_stCase.profile << " channel " << p_stCase.channel;
}

// initSysConf with the channel's module configuration as the host reads it.
class BundledProfileTest : public StyleTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(BundledProfileTest, MergesFitsAndYieldsTheStoredKeys) {
    const ProfileCase& stCase = GetParam();
    installDevice(stCase.profile);
    std::vector<KeyVal> vecKeyVal(170);
    u32 nCount = 0;
    const std::string strOut = printedBy([&] {
        EXPECT_EQ(SNS_SUCCESS,
                  initSysConf(stCase.channel, moduleConfig(static_cast<size_t>(stCase.channel - 1)), &m_stConf));
        EXPECT_EQ(SNS_SUCCESS, getFctData(stCase.channel, m_stConf.szUIStyle, vecKeyVal.data(), &nCount, true, 170));
    });
    EXPECT_EQ(std::string::npos, strOut.find("~~~Assertion failed")) << strOut;
    Strings vecTabs;
    for (const std::string& strTab : tabs(m_stConf.szUIStyle)) vecTabs.push_back(strTab.substr(0, strTab.find(':')));
    EXPECT_EQ(stCase.tabs, vecTabs);
    EXPECT_EQ(m_stConf.szUIStyle, readFile("/tmp/merge_style_ch" + std::to_string(stCase.channel) + ".xml"));
    EXPECT_EQ(4u, m_stConf.nSchemeSum);

    ASSERT_EQ(stCase.storedKeys, nCount);
    // The WDR and scene flags remove valueless notices, never stored values.
    u32 nCountWithoutWdr = 0;
    std::vector<KeyVal> vecWithoutWdr(170);
    g_bShoWBeawayFalg = false;
    printedBy(
        [&] { getFctData(stCase.channel, m_stConf.szUIStyle, vecWithoutWdr.data(), &nCountWithoutWdr, false, 170); });
    EXPECT_EQ(nCount, nCountWithoutWdr);
    for (u32 i = 0; i < 5; ++i) EXPECT_EQ(8000u + i, vecKeyVal[i].key) << i;
    EXPECT_EQ(0u, vecKeyVal[1].value);
    EXPECT_EQ(24u, vecKeyVal[3].value);  // the factory window is the whole day
    // Each key once, each one the vocabulary has, none a button (a press,
    // never a stored value).
    std::set<u32> setVocabulary = {201, 202, 204, 205};
#define SENSOR_KEY_ROW(name, key, command, handler) setVocabulary.insert(key);
#define SENSOR_KEY_STORED(name, key) setVocabulary.insert(key);
    SENSOR_KEY_TABLE(SENSOR_KEY_ROW, SENSOR_KEY_STORED, SENSOR_KEY_ROW)
#undef SENSOR_KEY_ROW
#undef SENSOR_KEY_STORED
    const std::set<u32> setActions = {17, 18, 1539, 1616, 1569, 1570, 1553, 1554, 2432, 8104, 8212, 8231};
    std::set<u32> setKeys;
    for (u32 i = 0; i < nCount; ++i) {
        const u32 nKey = vecKeyVal[i].key;
        EXPECT_TRUE(setKeys.insert(nKey).second) << "key " << nKey << " twice";
        EXPECT_EQ(1u, setVocabulary.count(nKey)) << nKey;
        EXPECT_EQ(0u, setActions.count(nKey)) << nKey;
    }
    for (const std::pair<u32, u32>& stFitted : stCase.fitted) {
        int nValue = -1;
        for (u32 i = 0; i < nCount && nValue < 0; ++i)
            if (vecKeyVal[i].key == stFitted.first) nValue = static_cast<int>(vecKeyVal[i].value);
        EXPECT_EQ(static_cast<int>(stFitted.second), nValue) << "key " << stFitted.first;
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, BundledProfileTest,
                         ::testing::Values(
                             // Style values win for 50 and 56; 82 and 2497 take the sensor's defaults.
                             ProfileCase{
                                 "ir-bullet",
                                 1,
                                 107,
                                 {"scheme", "image", "exposure", "iris", "wb", "daynight", "ir", "whitelight", "nr",
                                  "wdr", "blc", "defog", "enhance", "lens", "position"},
                                 {{49, 6}, {50, 9}, {51, 22}, {55, 20}, {56, 5}, {82, 717}, {1537, 3}, {2497, 30}}},
                             // The dome's own shutter list gives 49 the value 206 less 200.
                             ProfileCase{"dome",
                                         1,
                                         100,
                                         {"scheme", "lens", "image", "exposure", "iris", "wb", "daynight", "ir",
                                          "whitelight", "nr", "wdr", "blc", "defog", "enhance"},
                                         {{49, 6}, {50, 7}, {1537, 6}, {1571, 8}, {2497, 25}}},
                             ProfileCase{"thermal-dual",
                                         1,
                                         112,
                                         {"scheme", "image", "exposure", "iris", "wb", "daynight", "ir", "whitelight",
                                          "nr", "wdr", "blc", "defog", "enhance", "lens", "mixstream", "position"},
                                         {{49, 6}, {51, 21}, {1537, 2}, {82, 512}}},
                             ProfileCase{"thermal-dual",
                                         2,
                                         36,
                                         {"scheme", "image", "palette", "nr", "enhance", "ffc", "imageadjust"},
                                         {{8201, 0}, {2497, 25}, {8203, 5}}}));

}  // namespace
