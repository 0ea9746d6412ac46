// The parameters: the key/value text form, the scheme cache, the apply step
// and reading back from the cache, the ISP, flash and memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "SensorKeyVal.h"

namespace {

using testing::HasSubstr;
using testing::Not;
using Words = std::vector<int>;
using Pairs = std::vector<std::pair<int, int>>;

// The records printed after p_strText.
std::string textOf(const KeyVal* p_pRecords, u32 p_nCount, std::string p_strText = "") {
    keyval_st2str(p_strText, p_pRecords, p_nCount);
    return p_strText;
}

// Numbers read as atoi does; a field that does not convert repeats the record
// before, an incomplete item is dropped; records print back signed, appended.
TEST(TextToKeyValTest, ParsesTheCompleteItemsAndPrintsThemBack) {
    const char* const aaszCases[][2] = {{"(34,50)(2337,128)", "(34,50)(2337,128)"},
                                        {"", ""},
                                        {"abc(34,50)xyz", "(34,50)"},
                                        {"(34,50)(", "(34,50)"},
                                        {"(34,50)(2337", "(34,50)"},
                                        {"(34,50)(x,7)", "(34,50)(34,50)"},
                                        {"(34,50)(35,x)", "(34,50)(35,50)"},
                                        {"(a,b)", "(0,0)"},
                                        {"( -5, +7)(144,-1)(-2147483648,0)", "(-5,7)(144,-1)(-2147483648,0)"}};
    for (const auto& aszCase : aaszCases) {
        KeyVal arrRecords[8];
        u32 nCount = 99;
        EXPECT_TRUE(keyval_str2st(aszCase[0], arrRecords, &nCount, 8)) << aszCase[0];
        EXPECT_EQ(std::string("(1,2)") + aszCase[1], textOf(arrRecords, nCount, "(1,2)")) << aszCase[0];
    }
}

TEST(TextToKeyValTest, StopsAtTheCapacityAndReportsTheSurplus) {
    KeyVal arrRecords[3] = {{0, 0}, {0, 0}, {9, 9}};
    u32 nCount = 0;
    EXPECT_FALSE(keyval_str2st("(1,2)(3,4)(5,6)", arrRecords, &nCount, 2));
    EXPECT_EQ("(1,2)(3,4)(9,9)", textOf(arrRecords, 3));
    EXPECT_EQ(2u, nCount);
    EXPECT_TRUE(keyval_str2st("(1,2)(3,4)(", arrRecords, &nCount, 2));
    EXPECT_TRUE(keyval_str2st("", nullptr, &nCount, 0));
    EXPECT_FALSE(keyval_str2st("(1,2)", nullptr, &nCount, 4));
}

using SchemeCacheTest = ControllerFixture;

// Unforced writes never reach the factory set (4), none goes beyond it, only
// the first record of a key counts; a failed read keeps the caller's value.
TEST_F(SchemeCacheTest, WritesStayInsideTheSchemesAndTouchTheFirstRecordOfAKeyNoneBeforeInit) {
    ISensorController& c =
        layOut({{KEY_SCHEME_MODE, 0}, {KEY_BRIGHTNESS, 50}, {KEY_SATURATION, 128}, {KEY_BRIGHTNESS, 99}});
    EXPECT_EQ(-2, c.setKeyValToCache(4, KEY_BRIGHTNESS, 70, false));
    EXPECT_EQ(50, stored(KEY_BRIGHTNESS, 4));
    EXPECT_EQ(1, c.setKeyValToCache(4, KEY_BRIGHTNESS, 70, true));
    EXPECT_EQ(70, stored(KEY_BRIGHTNESS, 4));
    EXPECT_EQ(-2, c.setKeyValToCache(static_cast<u32>(-1), KEY_BRIGHTNESS, 70, false));
    EXPECT_EQ(-2, c.setKeyValToCache(5, KEY_BRIGHTNESS, 70, true));
    EXPECT_EQ(-1, c.setKeyValToCache(0, 4242, 70, false));
    EXPECT_EQ(1, c.setKeyValToCache(2, KEY_BRIGHTNESS, 7, false));
    EXPECT_EQ(99u, access().scheme(2)[3].value);
    u32 nValue = 0;
    EXPECT_EQ(1, c.getKeyValFromCache(2, KEY_BRIGHTNESS, nValue));
    EXPECT_EQ(7u, nValue);
    EXPECT_EQ(2, c.getKeyValFromCache(4, KEY_SATURATION, nValue));
    EXPECT_EQ(128u, nValue);

    setDebugControl("6\n");
    nValue = 12345;
    EXPECT_EQ(-1, c.getKeyValFromCache(0, 4242, nValue));
    EXPECT_THAT(printedBy([&] { EXPECT_EQ(-1, c.getKeyValFromCache(5, KEY_BRIGHTNESS, nValue)); }),
                HasSubstr("can not find val, invalid sheme(5) \n"));
    EXPECT_EQ(12345u, nValue);
    // Before init nothing is applied or cached; reads go to the ISP.
    ISensorController& objUnstarted = makeController();
    EXPECT_EQ(-1, objUnstarted.setKeyValToCache(0, KEY_BRIGHTNESS, 1, true));
    EXPECT_EQ(-1, objUnstarted.setParameter(KEY_BRIGHTNESS, 60, true));
    EXPECT_EQ(-1, objUnstarted.setParameters(std::string("(34,60)"), true));
    EXPECT_TRUE(ispsim::calls().empty());
    ispsim::setValue(0, KEY_BRIGHTNESS, 44);
    std::string strOut;
    EXPECT_TRUE(objUnstarted.getParameters("(34)", strOut));
    EXPECT_EQ("(34,44)", strOut);
}

class ApplyTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        // 5000 has no row in the key-command map.
        std::vector<KeyVal> vecRecords = {{KEY_SCHEME_START_HOUR, 8},   {KEY_BRIGHTNESS, 50},
                                          {KEY_SATURATION, 128},        {KEY_IR_MANUAL_STRG_NEAR, 30},
                                          {KEY_IR_MANUAL_STRG_FAR, 60}, {KEY_WDR_MODE, 1}};
        layOut(zeroed({KEY_SCHEME_MODE, KEY_DN_MODE, KEY_MIRROR, KEY_BEAWAY, KEY_NONE_COLOR_MODE, KEY_IR_MODE,
                       KEY_IR_MODE_INTELL, KEY_IR_MANUAL_STRG_NEAR_INTELL, KEY_WHITE_MANUAL_STRG_MEDIUM,
                       KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL, KEY_LIGHT_TYPE, 5000},
                      vecRecords));
    }
    int apply(std::vector<KeyVal> p_vecRecords, bool p_bSave = true) {
        return controller().setParameters(p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()), p_bSave);
    }
};

TEST_F(ApplyTest, SaveSkipsUnchangedValuesAndRemembersApplied) {
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BRIGHTNESS, 50, true));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BRIGHTNESS, 60, true));
    EXPECT_EQ(0, ispsim::setCalls(KEY_BRIGHTNESS).at(0).channel);
    EXPECT_EQ((Words{60, 50}), (Words{stored(KEY_BRIGHTNESS), stored(KEY_BRIGHTNESS, 1)}));
    // Without save every record goes out and nothing is stored.
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BRIGHTNESS, 70, false));
    EXPECT_EQ((Words{60, 70}), sentValues(KEY_BRIGHTNESS));
    EXPECT_EQ(60, stored(KEY_BRIGHTNESS));
    // Stored-only keys never reach the ISP.
    ispsim::clearCalls();
    EXPECT_EQ(SNS_SUCCESS, apply(zeroed({KEY_EMPTY1, KEY_EMPTY2, KEY_EMPTY3, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR,
                                         KEY_SCHEME_END_MIN},
                                        {{KEY_SCHEME_START_HOUR, 9}})));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(9, stored(KEY_SCHEME_START_HOUR));
}

// Only scheme 0 sets the scheme mode (1 timed, 2 day/night), for every user
// scheme; in day/night mode the day/night keys act only through scheme 0.
TEST_F(ApplyTest, OnlySchemeZeroSetsTheModeForAllSchemesAndActsOnDayNightKeys) {
    // Current scheme, value, timed, day/night, what the other user schemes hold.
    const int aanCases[][5] = {{0, 2, 0, 1, 2}, {0, 1, 1, 0, 1}, {0, 5, 0, 0, 0}, {2, 2, 0, 0, 0}};
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(::testing::PrintToString(Words(anCase, anCase + 5)));
        for (int nScheme = 0; nScheme <= 4; ++nScheme) store(KEY_SCHEME_MODE, 0, nScheme);
        access().curScheme() = anCase[0];
        EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_SCHEME_MODE, anCase[1], true));
        EXPECT_EQ(anCase[2] != 0, access().timingScheme());
        EXPECT_EQ(anCase[3] != 0, access().dnScheme());
        for (int nScheme = 0; nScheme < 4; ++nScheme)
            EXPECT_EQ(nScheme == anCase[0] ? anCase[1] : anCase[4], stored(KEY_SCHEME_MODE, nScheme)) << nScheme;
        EXPECT_EQ(0, stored(KEY_SCHEME_MODE, 4));
    }
    EXPECT_TRUE(ispsim::calls().empty());
    access().curScheme() = 0;

    access().dnScheme() = true;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_DN_MODE, 2, true));
    EXPECT_EQ((Words{2, 2}), (Words{stored(KEY_DN_MODE, 0), stored(KEY_DN_MODE, 1)}));
    access().curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_DN_MODE, 1, true));
    EXPECT_EQ(Words{2}, sentValues(KEY_DN_MODE));
    EXPECT_EQ((Words{2, 1}), (Words{stored(KEY_DN_MODE, 0), stored(KEY_DN_MODE, 1)}));
}

// Elsewhere the mirror goes through its map row and a failure ends the run.
TEST_F(ApplyTest, ThermalDirectKeysDoNotStopTheRun) {
    ispsim::failCommand(-1, KEY_MIRROR, -1);
    access().thermalChannel() = true;
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_MIRROR, 1}, {KEY_NONE_COLOR_MODE, 3}, {KEY_BRIGHTNESS, 60}}));
    EXPECT_EQ((Words{1, 60}), (Words{stored(KEY_MIRROR), stored(KEY_BRIGHTNESS)}));
    EXPECT_TRUE(sentValues(KEY_NONE_COLOR_MODE).empty());
    EXPECT_EQ((Pairs{{KEY_MIRROR, 1}, {KEY_NONE_COLOR_MODE, 3}}), notified());
    access().thermalChannel() = false;
    EXPECT_EQ(-KEY_MIRROR, apply({{KEY_MIRROR, 2}, {KEY_BRIGHTNESS, 70}}));
    EXPECT_EQ((Words{1, 60}), (Words{stored(KEY_MIRROR), stored(KEY_BRIGHTNESS)}));
}

// A map-less twin goes out through its plain key's row and command (171);
// companion writes happen without save too.
TEST_F(ApplyTest, OnlyTheKeyOfTheActiveLightTypeActsAndKeepsItsTwinEqual) {
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MODE_INTELL, 1}}));
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MODE, 1}}));
    EXPECT_EQ(1, stored(KEY_IR_MODE_INTELL));
    store(KEY_LIGHT_TYPE, 2);
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MODE, 2}}));
    EXPECT_EQ(1, stored(KEY_IR_MODE));
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MODE_INTELL, 2}}));
    EXPECT_EQ((Words{1, 2}), sentValues(KEY_IR_MODE));
    EXPECT_EQ(2, stored(KEY_IR_MODE));
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL, 40}}));
    EXPECT_EQ(Words{40}, sentValues(171));
    EXPECT_EQ((Words{40, 40}),
              (Words{stored(KEY_WHITE_MANUAL_STRG_MEDIUM), stored(KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL)}));
    store(KEY_LIGHT_TYPE, 0);
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MANUAL_STRG_NEAR, 35}}, false));
    EXPECT_EQ((Words{30, 35}), (Words{stored(KEY_IR_MANUAL_STRG_NEAR), stored(KEY_IR_MANUAL_STRG_NEAR_INTELL)}));
}

// With key 0 first the stop must not read as success. A partner strength the
// scheme lacks is read from the ISP.
TEST_F(ApplyTest, TheInfraredBudgetStopsTheRunWithTheFirstRecordsKey) {
    access().limitedIrPower() = true;
    EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MANUAL_STRG_NEAR, 40}}));
    EXPECT_EQ(-KEY_BRIGHTNESS, apply({{KEY_BRIGHTNESS, 70}, {KEY_IR_MANUAL_STRG_NEAR, 41}, {KEY_SATURATION, 1}}));
    EXPECT_EQ((Words{40}), sentValues(KEY_IR_MANUAL_STRG_NEAR));
    EXPECT_EQ(70, stored(KEY_BRIGHTNESS));
    EXPECT_TRUE(sentValues(KEY_SATURATION).empty());
    EXPECT_EQ(-1, apply({{0, 0}, {KEY_IR_MANUAL_STRG_NEAR, 41}}));
    layOut({{KEY_IR_MANUAL_STRG_NEAR, 0}});
    ispsim::clearCalls();
    ispsim::setValue(0, KEY_IR_MANUAL_STRG_FAR, 70);
    const std::string strOut = printedBy([this] {
        EXPECT_EQ(-KEY_IR_MANUAL_STRG_NEAR, apply({{KEY_IR_MANUAL_STRG_NEAR, 31}}));
        ispsim::failCommand(0, KEY_IR_MANUAL_STRG_FAR, -1);
        EXPECT_EQ(SNS_SUCCESS, apply({{KEY_IR_MANUAL_STRG_NEAR, 31}}));
    });
    EXPECT_THAT(strOut, HasSubstr("### KEY_IR_MANUAL_STRG_FAR doIaCmd sucess\n"));
    EXPECT_THAT(strOut, HasSubstr("### KEY_IR_MANUAL_STRG_FAR doIaCmd error\n"));
    EXPECT_EQ(Words{31}, sentValues(KEY_IR_MANUAL_STRG_NEAR));
}

// Unless that command exchanges a record, which the ISP would read and write
// whole: such a key is refused with a report and stops the run.
TEST_F(ApplyTest, AKeyWithoutARowIsSentWithItselfAsCommand) {
    EXPECT_EQ(SNS_SUCCESS, apply({{5000, 3}}));
    EXPECT_EQ(Words{3}, sentValues(5000));
    EXPECT_EQ(3, stored(5000));
    EXPECT_THAT(printedBy([this] { EXPECT_EQ(-2816, controller().setParameter(2816, 1, true)); }),
                HasSubstr("key(2816) is an ISP record command, not sent\n"));
    EXPECT_EQ(-4112, controller().setParameters(std::string("(34,61)(4112,1)(2337,1)"), true));
    EXPECT_EQ(Words{61}, sentValues(KEY_BRIGHTNESS));
    EXPECT_TRUE(sentValues(2816).empty() && sentValues(4112).empty() && sentValues(KEY_SATURATION).empty());
}

// The report's header names the host's operation, not an inner helper; a
// handler's rewrite of the value is stored.
TEST_F(ApplyTest, AHandlerFailureStopsTheRunAndOnlyGraveOnesAreReportedEachRecordIsTraced) {
    setDebugControl("6\n");
    ispsim::failCommand(-1, KEY_SATURATION, -4);
    const std::string strOut = printedBy([this] {
        EXPECT_EQ(-KEY_SATURATION, apply({{KEY_BRIGHTNESS, 60}, {KEY_SATURATION, 1}, {KEY_DN_MODE, 1}}));
    });
    const size_t nReport =
        strOut.find("set KEY_SATURATION (2337,1) func:&ISensorController::doIaCmd ia_cmd:2337 ~~~failed ia_ret=-4\n");
    ASSERT_NE(std::string::npos, nReport);
    EXPECT_EQ(strOut.rfind("fun:setParameters line:", nReport), strOut.rfind("fun:", nReport));
    EXPECT_EQ((Words{60, 128}), (Words{stored(KEY_BRIGHTNESS), stored(KEY_SATURATION)}));
    EXPECT_TRUE(sentValues(KEY_DN_MODE).empty());
    ispsim::failCommand(-1, KEY_SATURATION, -2);
    EXPECT_THAT(printedBy([this] {
                    EXPECT_EQ(-KEY_SATURATION, apply({{KEY_SATURATION, 2}}));
                }),
                Not(HasSubstr("~~~failed")));
    access().showWdr() = false;
    const std::string strTrace = printedBy([this] {
        EXPECT_EQ(SNS_SUCCESS, apply({{KEY_BRIGHTNESS, 61}, {KEY_WDR_MODE, 2}}));
    });
    EXPECT_THAT(strTrace, HasSubstr("====================== set KEY_BRIGHTNESS (34,61) "
                                    "func:&ISensorController::doIaCmd ia_cmd:34 =====================\n"));
    EXPECT_EQ('\n', strTrace.back());
    EXPECT_EQ(0, stored(KEY_WDR_MODE));
}

TEST_F(ApplyTest, TextEntryRefusesMoreItemsThanASchemeHolds) {
    EXPECT_EQ(SNS_SUCCESS, controller().setParameters(std::string("(34,60)(2337,100)"), true));
    EXPECT_EQ(100, stored(KEY_SATURATION));
    std::string strTooMany;
    for (int i = 0; i < 19; ++i) strTooMany += "(34,61)";
    EXPECT_EQ(-1, controller().setParameters(strTooMany, true));
    EXPECT_EQ(Words{60}, sentValues(KEY_BRIGHTNESS));
    EXPECT_EQ(60, stored(KEY_BRIGHTNESS));
}

class ReadingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_BRIGHTNESS, 50}, {KEY_SATURATION, 128}, {KEY_MAX_SHUTTER, 300}});
        // The ISP's dynamic commands, each with its accepted values.
        listRanges({{KEY_MAX_SHUTTER, 0, 100, 50, 250, {50, 100, 250}},
                    {KEY_IRIS_POSITION, 1, 700, 400, 2800, {}},
                    {KEY_MAX_SHUTTER_NIGHT, 0, 6, 1, 9, {1, 6, 9}}});
        ispsim::setValue(0, KEY_BRIGHTNESS, 77);
        ispsim::setValue(0, 4242, 77);
    }
    // Channel 1's merged style with this KEY_MAX_SHUTTER (from 200 up the
    // answer comes from flash); scheme 0's file with the first records given.
    void writeFiles(int p_nMaxShutter, size_t p_nRecords) {
        writeFile(mergedStylePath(1),
                  "<style><tab><param id=\"49\" value=\"" + std::to_string(p_nMaxShutter) + "\"/></tab></style>");
        writeFile(schemePath(1, 0),
                  image(std::vector<KeyVal>{{KEY_BRIGHTNESS, 10}, {KEY_SATURATION, 20}, {KEY_MAX_SHUTTER, 30}})
                      .substr(0, 8 * p_nRecords));
    }
    // The whole scheme after "(1,2)"; keeps what was printed.
    std::string all() {
        std::string strOut = "(1,2)";
        m_strStdout = printedBy([&] { EXPECT_TRUE(controller().getAllParameters(strOut)); });
        return strOut;
    }
    int get(int p_nKey) {
        int nValue = -7;
        EXPECT_TRUE(controller().getParameter(p_nKey, nValue)) << p_nKey;
        return nValue;
    }
    std::string m_strStdout;
};

// An infrared key the schemes lack reads -1, without the ISP; an unreadable
// key is left out of an id list.
TEST_F(ReadingTest, ACachedKeyIsAnsweredWithoutTheIspAnUncachedOneWithTheKeyAsCommand) {
    EXPECT_EQ(50, get(KEY_BRIGHTNESS));
    for (int nKey :
         {KEY_IR_SWITCH, KEY_IR_MODE, KEY_IR_MANUAL_STRG_NEAR, KEY_IR_MANUAL_STRG_MEDIUM, KEY_IR_MANUAL_STRG_FAR})
        EXPECT_EQ(-1, get(nKey));
    EXPECT_EQ(77, get(4242));
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ((Words{4242, IA_CMD_OPT_GET}),
              (Words{ispsim::calls()[0].cmd, static_cast<int>(ispsim::calls()[0].option)}));
    ispsim::failCommand(0, 4242, -1);
    int nValue = 0;
    EXPECT_THAT(printedBy([&] { EXPECT_FALSE(controller().getParameter(4242, nValue)); }),
                HasSubstr("get key(4242) val from 2a err"));
    std::string strOut = "old";
    EXPECT_THAT(printedBy([&] { EXPECT_TRUE(controller().getParameters("(34,4242,2337)", strOut)); }),
                HasSubstr("@@ out_Parameters = (34,50)(2337,128) @@\n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
    const std::string strStdout = printedBy([&] { EXPECT_FALSE(controller().getParameters("34,4242,2337", strOut)); });
    EXPECT_EQ(0u, strStdout.find("ParameterReading.cpp"));
    EXPECT_THAT(strStdout, HasSubstr(" getParameters fail p_strIds = 34,4242,2337 \n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
}

// A key that names a record command is refused with a report: the ISP would
// write the whole record past the caller's one word.
TEST_F(ReadingTest, AKeyThatNamesARecordCommandIsRefused) {
    struct {
        int nValue;
        unsigned char abyAfter[64];
    } stGuarded;
    memset(&stGuarded, 0xa5, sizeof(stGuarded));
    EXPECT_THAT(printedBy([&] { EXPECT_FALSE(controller().getParameter(2496, stGuarded.nValue)); }),
                HasSubstr("key(2496) is an ISP record command, not read\n"));
    EXPECT_EQ(std::string(64, '\xa5'), std::string(stGuarded.abyAfter, stGuarded.abyAfter + 64));
    std::string strOut;
    EXPECT_TRUE(controller().getParameters("(4112,34,145,2816)", strOut));
    EXPECT_EQ("(34,50)", strOut);
    EXPECT_TRUE(ispsim::calls().empty());
}

// Records a short or missing file lacks show the cache, not scratch data. A
// file of another style is read by key: order and extra keys do not count.
TEST_F(ReadingTest, FromFlashTheSchemeFileIsAppendedAndCompletedFromTheCache) {
    writeFiles(200, 3);
    std::string strOut = "(1,2)";
    EXPECT_TRUE(controller().getAllParameters(strOut));
    EXPECT_TRUE(controller().getAllParameters(strOut));
    EXPECT_EQ("(1,2)(34,10)(2337,20)(49,30)(34,10)(2337,20)(49,30)", strOut);
    EXPECT_EQ(50, stored(KEY_BRIGHTNESS));
    for (u32 i = 0; i < access().keyValSum(); ++i) access().keyValTmp()[i] = {999, 999};
    writeFiles(206, 1);
    EXPECT_EQ("(1,2)(34,10)(2337,128)(49,300)", all());
    removeFile(schemePath(1, 0));
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,300)", all());
    writeFile(schemePath(1, 0), image({{KEY_MAX_SHUTTER, 30}, {7, 1}, {KEY_BRIGHTNESS, 10}}));
    EXPECT_EQ("(1,2)(34,10)(2337,128)(49,30)", all());
}

// From memory the ISP corrects the first record of each key it lists, in the
// cache; a listed command without a record is reported at any level.
TEST_F(ReadingTest, FromMemoryTheSchemeIsCorrectedInPlace) {
    writeFiles(199, 3);
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,250)", all());
    ispsim::clearCalls();
    EXPECT_EQ(250, get(KEY_MAX_SHUTTER));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(300, stored(KEY_MAX_SHUTTER, 1));

    setDebugControl("0\n");
    layOut({{KEY_BRIGHTNESS, 7}, {KEY_MAX_SHUTTER, 300}, {KEY_MAX_SHUTTER_NIGHT, 4}, {KEY_MAX_SHUTTER, 300}});
    EXPECT_EQ("(1,2)(34,7)(49,250)(56,6)(49,300)", all());
    EXPECT_THAT(m_strStdout, HasSubstr("cmd_list[1]=82\n"));
    EXPECT_THAT(m_strStdout, Not(HasSubstr("cmd_list[0]")));

    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    layOut({{KEY_MAX_SHUTTER, 300}});
    EXPECT_EQ("(1,2)(49,300)", all());
    EXPECT_THAT(m_strStdout, HasSubstr("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_THAT(printedBy([] { EXPECT_EQ(-1, keyval_correct(0, nullptr, 4)); }), HasSubstr("NULL != p_pKeyval"));
}

// A merged style file the nesting guard refuses gives way to the text in memory.
TEST_F(ReadingTest, AMergedStyleFileTheGuardRefusesGivesWayToTheTextInMemory) {
    writeFiles(206, 3);
    std::string strDeep;
    for (int i = 0; i < 100000; ++i) strDeep += "<a>";
    writeFile(mergedStylePath(1), strDeep);
    char szStyle[] = "<style><tab><param id=\"49\" value=\"199\"/></tab></style>";
    access().sysConf().szUIStyle = szStyle;
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,250)", all());
    access().sysConf().szUIStyle = nullptr;
}

// The factory set has no file, so it is answered from memory only; scheme -1
// (before a first switch) has no array to answer from.
TEST_F(ReadingTest, TheFactorySetIsAnsweredFromMemoryOnlyAndSchemeMinusOneNowhere) {
    for (int nStyle : {206, 100}) {
        writeFiles(nStyle, 3);
        for (int nScheme : {4, -1}) {
            access().curScheme() = nScheme;
            EXPECT_EQ(nStyle == 100 && nScheme == 4 ? "(1,2)(34,50)(2337,128)(49,250)" : "(1,2)", all())
                << nStyle << " " << nScheme;
        }
    }
    EXPECT_EQ(250, stored(KEY_MAX_SHUTTER, 4));
}

}  // namespace
