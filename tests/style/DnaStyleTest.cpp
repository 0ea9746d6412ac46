// Fitting a style to the ISP's ranges: option filtering, the six commands
// whose style default can win, the custom shutter list, removal by flag, and
// what the ISP was asked.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "ISensorController.h"
#include "IspReplyTamper.h"
#include "StyleTestSupport.h"

using styletest::assertionLine;
using styletest::params;
using styletest::printed;
using styletest::range;
using styletest::setRanges;

namespace {

typedef std::vector<std::string> Strings;

class DnaStyleTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        m_bSceneFlag = g_bShoWBeawayFalg;
        g_bShoWBeawayFalg = false;
    }
    void TearDown() override {
        g_bShoWBeawayFalg = m_bSceneFlag;
        DeviceFixture::TearDown();
    }

    // getDnaStyle on channel 1 (ISP channel 0), capturing standard output.
    std::string fit(const std::string& p_strStyle, bool p_bShowWdr = false) {
        std::string strOut;
        testing::internal::CaptureStdout();
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, p_strStyle.c_str(), strOut, p_bShowWdr));
        m_strStdout = testing::internal::GetCapturedStdout();
        return strOut;
    }

    std::string m_strStdout;

private:
    bool m_bSceneFlag = true;
};

const char* const kThreeOptions =
    "<s><tab key=\"t\"><p id=\"34\" value=\"9\"><o index=\"0\"/><o index=\"1\"/><o index=\"2\"/></p></tab></s>";

TEST_F(DnaStyleTest, WithoutListedCommandsTheStyleStaysAsPrinted) {
    setRanges(0, {});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_EQ((std::vector<int>{IA_CMD_DYNAMIC_PARAMS_CMDS_GET}), styletest::commandsWithOption(IA_CMD_OPT_GET));
    EXPECT_TRUE(styletest::commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).empty());
}

TEST_F(DnaStyleTest, AListedCommandTakesTheIspDefaultAndLosesDisallowedOptions) {
    setRanges(0, {range(34, 2, {0, 2})});
    const std::vector<styletest::Param> vecParams = params(fit(kThreeOptions), 34);
    ASSERT_EQ(1u, vecParams.size());
    EXPECT_EQ("2", vecParams[0].value);
    EXPECT_EQ((Strings{"0", "2"}), vecParams[0].options);
    EXPECT_EQ((std::vector<int>{34}), styletest::commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE));
}

TEST_F(DnaStyleTest, TheIspIsAskedOnTheChannelBelowTheControllers) {
    setRanges(1, {range(34, 2, {0, 2})});
    std::string strOut;
    getDnaStyle(2, kThreeOptions, strOut, false);
    for (const ispsim::Call& stCall : ispsim::calls()) EXPECT_EQ(1, stCall.channel) << stCall.cmd;
    EXPECT_EQ("2", params(strOut, 34)[0].value);
}

TEST_F(DnaStyleTest, EveryElementWithTheIdIsFittedButNotOneInsideAMatch) {
    setRanges(0, {range(34, 5, {1})});
    const std::string strStyle =
        "<s><p id=\"34\" value=\"0\"><o index=\"1\"><p id=\"34\" value=\"0\"/></o><o index=\"3\"/></p>"
        "<tab><p id=\"34\" value=\"0\"><o index=\"3\"/></p></tab></s>";
    const std::vector<styletest::Param> vecParams = params(fit(strStyle), 34);
    ASSERT_EQ(3u, vecParams.size());
    EXPECT_EQ("5", vecParams[0].value);
    EXPECT_EQ((Strings{"1"}), vecParams[0].options);
    EXPECT_EQ("0", vecParams[1].value);
    EXPECT_EQ("5", vecParams[2].value);
    EXPECT_TRUE(vecParams[2].options.empty());
}

TEST_F(DnaStyleTest, AnOptionWithoutIndexStopsThatCommandOnly) {
    setRanges(0, {range(34, 7, {1}), range(35, 8, {1})});
    const std::string strStyle =
        "<s><p id=\"34\" value=\"0\"><o index=\"2\"/><o/><o index=\"3\"/></p>"
        "<p id=\"34\" value=\"0\"><o index=\"4\"/></p>"
        "<p id=\"35\" value=\"0\"><o index=\"1\"/><o index=\"2\"/></p></s>";
    const std::string strOut = fit(strStyle);
    const std::vector<styletest::Param> vecFirst = params(strOut, 34);
    ASSERT_EQ(2u, vecFirst.size());
    EXPECT_EQ("7", vecFirst[0].value);
    EXPECT_EQ((Strings{"-", "3"}), vecFirst[0].options);
    EXPECT_EQ("0", vecFirst[1].value);
    EXPECT_EQ((Strings{"4"}), vecFirst[1].options);
    EXPECT_EQ("8", params(strOut, 35)[0].value);
    EXPECT_EQ((Strings{"1"}), params(strOut, 35)[0].options);
    EXPECT_NE(std::string::npos,
              m_strStdout.find(assertionLine("SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), "
                                             "dnaCmdList.cmd_list[i], &dnaParamList)")));
}

TEST_F(DnaStyleTest, ACommandWithoutElementChangesNothing) {
    setRanges(0, {range(2497, 30, {25, 30})});
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
}

// One of the six commands, with the style's value, the ISP's default and
// items, and the fitted value.
struct StyleDefaultCase {
    int cmd;
    int styleValue;
    int ispDefault;
    std::vector<int> items;
    int fitted;
};

class StyleDefaultTest : public DnaStyleTest, public ::testing::WithParamInterface<StyleDefaultCase> {};

TEST_P(StyleDefaultTest, TheStyleValueWinsOnlyWhereTheIspAllowsIt) {
    const StyleDefaultCase& stCase = GetParam();
    setRanges(0, {range(stCase.cmd, stCase.ispDefault, stCase.items)});
    const std::string strStyle = "<s><p id=\"" + std::to_string(stCase.cmd) + "\" value=\"" +
                                 std::to_string(stCase.styleValue) + "\"/></s>";
    EXPECT_EQ(std::to_string(stCase.fitted), params(fit(strStyle), stCase.cmd)[0].value);
    const std::vector<int> vecSix = {49, 50, 51, 55, 56, 1537};
    const bool bSix = std::find(vecSix.begin(), vecSix.end(), stCase.cmd) != vecSix.end();
    const bool bWalked = bSix && stCase.styleValue != 100;
    EXPECT_EQ(bWalked, m_strStdout.find("dnaParamList.items_cnt(") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    SixCommands, StyleDefaultTest,
    ::testing::Values(StyleDefaultCase{49, 9, 6, {4, 6, 9}, 9}, StyleDefaultCase{50, 9, 6, {4, 6, 9}, 9},
                      StyleDefaultCase{51, 9, 6, {4, 6, 9}, 9}, StyleDefaultCase{55, 9, 6, {4, 6, 9}, 9},
                      StyleDefaultCase{56, 9, 6, {4, 6, 9}, 9}, StyleDefaultCase{1537, 9, 6, {4, 6, 9}, 9},
                      StyleDefaultCase{50, 5, 6, {4, 6, 9}, 6},     // not allowed: the ISP's default
                      StyleDefaultCase{50, 100, 6, {4, 6, 100}, 6}, // 100 keeps the ISP's default
                      StyleDefaultCase{34, 9, 6, {4, 6, 9}, 6},     // not one of the six
                      StyleDefaultCase{82, 9, 6, {4, 6, 9}, 6},
                      StyleDefaultCase{50, 250, 6, {4, 250}, 250}, // the offset is command 49's alone
                      StyleDefaultCase{49, 250, 6, {4, 250}, 50},  // 200 and up: the value less 200
                      StyleDefaultCase{49, 200, 6, {4, 200}, 0}));

TEST_F(DnaStyleTest, TheItemWalkIsPrintedLineByLineUpToTheMatch) {
    setRanges(0, {range(50, 6, {4, 9, 12})});
    fit("<s><p id=\"50\" value=\"9\"/></s>");
    EXPECT_NE(std::string::npos,
              m_strStdout.find("dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n"
                               " dnaParamList.item[0] = 4 nVal = 9 \n"
                               " dnaParamList.item[1] = 9 nVal = 9 \n"));
    EXPECT_EQ(std::string::npos, m_strStdout.find("item[2]"));
}

TEST_F(DnaStyleTest, ACustomShutterListKeepsTheStylesOptions) {
    setRanges(0, {range(49, 6, {1, 2})});
    const std::string strStyle =
        "<s><p id=\"49\" value=\"250\"><o index=\"5\"/><o index=\"50\"/><o index=\"70\"/></p></s>";
    const std::vector<styletest::Param> vecParams = params(fit(strStyle), 49);
    EXPECT_EQ("50", vecParams[0].value);
    EXPECT_EQ((Strings{"5", "50", "70"}), vecParams[0].options);
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

TEST_F(DnaStyleTest, AnUnreadCommandListAppliesNoCommand) {
    setRanges(0, {range(34, 2, {0, 2})});
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1);
    EXPECT_EQ(printed(kThreeOptions), fit(kThreeOptions));
    EXPECT_TRUE(styletest::commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).empty());
    EXPECT_NE(std::string::npos,
              m_strStdout.find(assertionLine("SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, "
                                             "IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList))")));
}

TEST_F(DnaStyleTest, AStyleThatDoesNotParseIsReportedAndFittedAsFarAsItWasRead) {
    setRanges(0, {range(34, 2, {0, 2})});
    EXPECT_EQ(printed("<s><p id=\"34\" value=\"2\"/></s>"), fit("<s><p id=\"34\"><o index=\"1\"/>"));
    EXPECT_NE(std::string::npos,
              m_strStdout.find(assertionLine("objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)")));
}

TEST_F(DnaStyleTest, AFailedRangeReadLeavesThatCommandAsTheStyleHasIt) {
    // The record still holds command 34's range when 35's read fails.
    setRanges(0, {range(34, 2, {0, 2}), range(35, 3, {1}), range(36, 1, {1})});
    ispsim::failCommand(0, 35, -1);
    const std::string strStyle =
        "<s><p id=\"34\" value=\"9\"><o index=\"0\"/><o index=\"1\"/></p>"
        "<p id=\"35\" value=\"9\"><o index=\"0\"/><o index=\"1\"/></p>"
        "<p id=\"36\" value=\"9\"><o index=\"0\"/><o index=\"1\"/></p></s>";
    const std::string strOut = fit(strStyle);
    EXPECT_EQ("2", params(strOut, 34)[0].value);
    EXPECT_EQ("9", params(strOut, 35)[0].value);
    EXPECT_EQ((Strings{"0", "1"}), params(strOut, 35)[0].options);
    EXPECT_EQ("1", params(strOut, 36)[0].value);
    EXPECT_EQ((Strings{"1"}), params(strOut, 36)[0].options);
    EXPECT_EQ((std::vector<int>{34, 35, 36}), styletest::commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE));
    EXPECT_NE(std::string::npos,
              m_strStdout.find(assertionLine("SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, "
                                             "(ia_cmd_e)dnaCmdList.cmd_list[i], IA_CMD_OPT_GET_PARAM_RNAGE, "
                                             "(void*)(&dnaParamList))")));
}

TEST_F(DnaStyleTest, AnOversizedCommandListIsReadToItsSixteenCommands) {
    std::vector<ispsim::Range> vecRanges;
    for (int nCmd = 1000; nCmd < 1016; ++nCmd) vecRanges.push_back(range(nCmd, 1, {1}));
    setRanges(0, vecRanges);
    isptamper::Scoped objTamper([](int p_nCmd, unsigned int p_nOption, void* p_pData) {
        if (p_nCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET && p_nOption == IA_CMD_OPT_GET)
            static_cast<ia_dynamic_params_cmds_st*>(p_pData)->cmd_cnt = 1000;
    });
    fit("<s/>");
    EXPECT_EQ(16u, styletest::commandsWithOption(IA_CMD_OPT_GET_PARAM_RNAGE).size());
    EXPECT_NE(std::string::npos,
              m_strStdout.find(assertionLine(
                  "0 <= dnaCmdList.cmd_cnt && dnaCmdList.cmd_cnt <= IA_DYNAMIC_PARAMS_CMDS_MAX")));
}

TEST_F(DnaStyleTest, AnOversizedItemListIsReadToItsSixtyFourItems) {
    std::vector<int> vecItems;
    for (int i = 0; i < 64; ++i) vecItems.push_back(i);
    setRanges(0, {range(50, 0, vecItems)});
    isptamper::Scoped objTamper([](int p_nCmd, unsigned int p_nOption, void* p_pData) {
        if (p_nCmd == 50 && p_nOption == IA_CMD_OPT_GET_PARAM_RNAGE)
            static_cast<ia_dynamic_params_attr_st*>(p_pData)->items_cnt = 100000;
    });
    std::string strStyle = "<s><p id=\"50\" value=\"-1\">";
    for (int i = 0; i < 70; ++i) strStyle += "<o index=\"" + std::to_string(i) + "\"/>";
    strStyle += "</p></s>";
    const std::vector<styletest::Param> vecParams = params(fit(strStyle), 50);
    EXPECT_EQ(64u, vecParams[0].options.size());
    EXPECT_EQ(64u, styletest::occurrences(m_strStdout, " dnaParamList.item["));
    EXPECT_NE(std::string::npos, m_strStdout.find("dnaParamList.items_cnt(64)"));
}

TEST_F(DnaStyleTest, ANegativeItemCountAllowsNoOption) {
    setRanges(0, {range(34, 4, {0, 1})});
    isptamper::Scoped objTamper([](int p_nCmd, unsigned int p_nOption, void* p_pData) {
        if (p_nCmd == 34 && p_nOption == IA_CMD_OPT_GET_PARAM_RNAGE)
            static_cast<ia_dynamic_params_attr_st*>(p_pData)->items_cnt = -5;
    });
    const std::vector<styletest::Param> vecParams = params(fit(kThreeOptions), 34);
    EXPECT_EQ("4", vecParams[0].value);
    EXPECT_TRUE(vecParams[0].options.empty());
}

class CustomizeStyleTest : public ::testing::Test {
protected:
    void load(const std::string& p_strXml) {
        ASSERT_TRUE(LoadMem(m_objDoc, p_strXml.c_str(), TIXML_ENCODING_UTF8));
        memset(&m_stRange, 0, sizeof(m_stRange));
        m_stRange.min_val = -7;
        m_stRange.max_val = -8;
    }
    TiXmlDocument m_objDoc;
    ia_dynamic_params_attr_st m_stRange;
};

TEST_F(CustomizeStyleTest, TheLastMatchingElementsIndexedOptionsStand) {
    load("<s><p id=\"49\"><o index=\"1\"/></p><p id=\"49\"><o index=\"3\"/><o/><o index=\"-2\"/><o index=\"9\"/></p></s>");
    EXPECT_EQ(0, doCustomizeStyle(m_objDoc.RootElement(), 49, &m_stRange));
    EXPECT_EQ(3, m_stRange.items_cnt);
    EXPECT_EQ(3, m_stRange.item[0]);
    EXPECT_EQ(-2, m_stRange.item[1]);
    EXPECT_EQ(9, m_stRange.item[2]);
    EXPECT_EQ(3, m_stRange.min_val);
    EXPECT_EQ(9, m_stRange.max_val);
}

TEST_F(CustomizeStyleTest, NoOptionGivesNoItemAndKeepsTheBounds) {
    load("<s><p id=\"49\"><o/></p></s>");
    m_stRange.items_cnt = 5;
    EXPECT_EQ(0, doCustomizeStyle(m_objDoc.RootElement(), 49, &m_stRange));
    EXPECT_EQ(0, m_stRange.items_cnt);
    EXPECT_EQ(-7, m_stRange.min_val);
    EXPECT_EQ(-8, m_stRange.max_val);
}

TEST_F(CustomizeStyleTest, OptionsBeyondTheRecordAreLeftOut) {
    std::string strStyle = "<s><p id=\"49\">";
    for (int i = 0; i < 80; ++i) strStyle += "<o index=\"" + std::to_string(100 + i) + "\"/>";
    load(strStyle + "</p></s>");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, doCustomizeStyle(m_objDoc.RootElement(), 49, &m_stRange));
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(64, m_stRange.items_cnt);
    EXPECT_EQ(163, m_stRange.item[63]);
    EXPECT_EQ(163, m_stRange.max_val);
    EXPECT_NE(std::string::npos, strOut.find(assertionLine("n < IA_DYNAMIC_PARAMS_ITEMS_MAX")));
}

}  // namespace
