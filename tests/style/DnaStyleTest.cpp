// Fitting a style to the ISP's ranges: option filtering, the six commands
// whose style default can win, the custom shutter list, removal by flag, and
// what the ISP was asked, replies that break the ISP's own bounds included.
#include <dlfcn.h>
#include <string.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "StartedControllers.h"
#include "StyleTestSupport.h"

using namespace styletest;

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

// The scene flag off unless a test sets it; StartedControllers sets it again.
class DnaStyleTest : public StartedControllers {
protected:
    void SetUp() override {
        StartedControllers::SetUp();
        g_bShoWBeawayFalg = false;
    }
    void TearDown() override {
        g_stTamper.cmd = 0;
        StartedControllers::TearDown();
    }
    // getDnaStyle on channel 1 (ISP channel 0), keeping what it printed.
    std::string fit(const std::string& p_strStyle, bool p_bShowWdr = false, int p_nChannel = 1) {
        std::string strOut;
        m_strStdout = printedBy([&] { EXPECT_EQ(SNS_SUCCESS, getDnaStyle(p_nChannel, p_strStyle.c_str(), strOut, p_bShowWdr)); });
        return strOut;
    }
    std::string m_strStdout;
};

const char* const kThreeOptions =
    "<s><tab key=\"t\"><p id=\"34\" value=\"9\"><o index=\"0\"/><o index=\"1\"/><o index=\"2\"/></p></tab></s>";

// No listed command, a listed command without element, an unread list.
TEST_F(DnaStyleTest, WithNothingToFitTheStyleStaysAsPrinted) {
    setRanges(0, {});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_EQ((std::vector<int>{IA_CMD_DYNAMIC_PARAMS_CMDS_GET}), commandsWithOption(IA_CMD_OPT_GET));
    setRanges(0, {range(2497, 30, {25, 30})});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    setRanges(0, {range(34, 2, {0, 2})});
    ispsim::clearCalls();
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1);
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_TRUE(commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).empty());
    EXPECT_TRUE(reports(m_strStdout, "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                                     "IA_CMD_OPT_GET, (void*)(&dnaCmdList))"));
}

TEST_F(DnaStyleTest, AListedCommandTakesTheIspDefaultAndLosesDisallowedOptions) {
    setRanges(0, {range(34, 2, {0, 2})});
    const std::vector<Param> vecParams = params(fit(kThreeOptions), 34);
    ASSERT_EQ(1u, vecParams.size());
    EXPECT_EQ("2", vecParams[0].value);
    EXPECT_EQ((Strings{"0", "2"}), vecParams[0].options);
    EXPECT_EQ((std::vector<int>{34}), commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE));
    // Channel 2 asks the ISP on its channel 1.
    setRanges(0, {});
    setRanges(1, {range(34, 3, {0, 3})});
    ispsim::clearCalls();
    EXPECT_EQ("3", params(fit(kThreeOptions, false, 2), 34)[0].value);
    for (const ispsim::Call& stCall : ispsim::calls()) EXPECT_EQ(1, stCall.channel) << stCall.cmd;
}

// Every element with the id is fitted, but not one inside a match; an option
// without index stops that element's filtering only.
TEST_F(DnaStyleTest, EveryElementWithTheIdIsFittedButNotOneInsideAMatch) {
    setDebugControl("6\n");
    setRanges(0, {range(34, 5, {1}), range(35, 8, {1})});
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
    EXPECT_TRUE(reports(m_strStdout, "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), "
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
    } aCases[] = {{49, 9, {4, 6, 9}, 9},   {51, 9, {4, 6, 9}, 9},  {55, 9, {4, 6, 9}, 9},  {56, 9, {4, 6, 9}, 9},
                  {1537, 9, {4, 6, 9}, 9}, {50, 5, {4, 6, 9}, 6},  // not allowed: the ISP's default
                  {50, 100, {4, 6, 100}, 6},  // 100 keeps the ISP's default
                  {34, 9, {4, 6, 9}, 6},      // not one of the six
                  {50, 250, {4, 250}, 250},   // the offset is command 49's alone
                  {49, 250, {4, 250}, 50},    // 200 and up: the value less 200
                  {49, 200, {4, 200}, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(c.cmd) + " " + std::to_string(c.styleValue));
        setRanges(0, {range(c.cmd, 6, c.items)});
        const std::string strStyle = "<s><p id=\"" + std::to_string(c.cmd) + "\" value=\"" + std::to_string(c.styleValue) + "\"/></s>";
        EXPECT_EQ(std::to_string(c.fitted), params(fit(strStyle), c.cmd)[0].value);
        EXPECT_EQ(c.cmd != 34 && c.styleValue != 100, m_strStdout.find("dnaParamList.items_cnt(") != std::string::npos);
    }
    setRanges(0, {range(49, 6, {1, 2})});
    const std::vector<Param> vecParams =
        params(fit("<s><p id=\"49\" value=\"250\"><o index=\"5\"/><o index=\"50\"/><o index=\"70\"/></p></s>"), 49);
    EXPECT_EQ("50", vecParams.at(0).value);
    EXPECT_EQ((Strings{"5", "50", "70"}), vecParams[0].options);
    setRanges(0, {range(50, 6, {4, 9, 12})});
    fit("<s><p id=\"50\" value=\"9\"/></s>");
    EXPECT_NE(std::string::npos, m_strStdout.find("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"
                                                  " dnaParamList.item[0] = 4 nVal = 9 \n"
                                                  " dnaParamList.item[1] = 9 nVal = 9 \n"));
    EXPECT_EQ(std::string::npos, m_strStdout.find("item[2]"));
}

TEST_F(DnaStyleTest, TheFlagsRemoveTheLastElementWithTheirId) {
    setRanges(0, {});
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
    setRanges(0, {range(34, 2, {0, 2})});
    EXPECT_EQ(printed("<s><p id=\"34\" value=\"2\"/></s>"), fit("<s><p id=\"34\"><o index=\"1\"/>"));
    EXPECT_TRUE(reports(m_strStdout, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)"));
}

// The record still holds command 34's range when 35's read fails.
TEST_F(DnaStyleTest, AFailedRangeReadLeavesThatCommandAsTheStyleHasIt) {
    setRanges(0, {range(34, 2, {0, 2}), range(35, 3, {1}), range(36, 1, {1})});
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
    EXPECT_TRUE(reports(m_strStdout, "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                                     "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))"));
}

// A command list of 1000 is read to its sixteen commands, 100000 items to
// their 64, a negative item count allows no option.
TEST_F(DnaStyleTest, OversizedOrNegativeCountsAreBoundedToTheRecords) {
    std::vector<ispsim::Range> vecRanges;
    for (int nCmd = 1000; nCmd < 1016; ++nCmd) vecRanges.push_back(range(nCmd, 1, {1}));
    setRanges(0, vecRanges);
    g_stTamper = {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, 1000};
    fit("<s/>");
    EXPECT_EQ(16u, commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).size());
    EXPECT_TRUE(reports(m_strStdout, "0 <= dnaCmdList.cmd_cnt && dnaCmdList.cmd_cnt <= IA_DYNAMIC_PARAMS_CMDS_MAX"));

    std::vector<int> vecItems;
    std::string strStyle = "<s><p id=\"50\" value=\"-1\">";
    for (int i = 0; i < 70; ++i) strStyle += "<o index=\"" + std::to_string(i) + "\"/>";
    for (int i = 0; i < 64; ++i) vecItems.push_back(i);
    setRanges(0, {range(50, 0, vecItems)});
    g_stTamper = {50, 100000};
    EXPECT_EQ(64u, params(fit(strStyle + "</p></s>"), 50).at(0).options.size());
    EXPECT_EQ(64u, occurrences(m_strStdout, " dnaParamList.item["));
    EXPECT_NE(std::string::npos, m_strStdout.find("dnaParamList.items_cnt(64)"));

    setRanges(0, {range(34, 4, {0, 1})});
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
         {Case{"<p id=\"49\"><o index=\"1\"/></p><p id=\"49\"><o index=\"3\"/><o/><o index=\"-2\"/><o index=\"9\"/></p>",
               3, 3, 9, 3, 9, false},
          Case{"<p id=\"49\"><o/></p>", 0, 0, 0, -7, -8, false}, Case{strMany + "</p>", 64, 100, 163, 100, 163, true}}) {
        SCOPED_TRACE(stCase.count);
        TiXmlDocument objDoc;
        ASSERT_TRUE(LoadMem(objDoc, ("<s>" + stCase.elements + "</s>").c_str(), TIXML_ENCODING_UTF8));
        ia_dynamic_params_attr_st stRange;
        memset(&stRange, 0, sizeof(stRange));
        stRange.min_val = -7;
        stRange.max_val = -8;
        stRange.items_cnt = 5;
        const std::string strOut = printedBy([&] { EXPECT_EQ(0, doCustomizeStyle(objDoc.RootElement(), 49, &stRange)); });
        EXPECT_EQ(stCase.count, stRange.items_cnt);
        if (stCase.count > 0) {
            EXPECT_EQ(stCase.first, stRange.item[0]);
            EXPECT_EQ(stCase.last, stRange.item[stCase.count - 1]);
        }
        EXPECT_EQ((std::vector<int>{stCase.minValue, stCase.maxValue}), (std::vector<int>{stRange.min_val, stRange.max_val}));
        EXPECT_EQ(stCase.reported, reports(strOut, "n < IA_DYNAMIC_PARAMS_ITEMS_MAX"));
        EXPECT_EQ(stCase.reported ? std::set<std::string>{"doCustomizeStyle"} : std::set<std::string>{},
                  reportingFunctions(strOut));
    }
}

}  // namespace
