// The apply step's rules: what reaches the ISP and the video module, what the
// cache holds afterwards, and where a run stops.
#include "ControllerFixture.h"

namespace {

using Commands = std::vector<int>;

class ApplyTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{8000, 0}, {8001, 8},  {34, 50},   {2337, 128}, {144, 0}, {2384, 0}, {2385, 0}, {8201, 0}, {161, 0},
                {168, 0},  {163, 30},  {200, 30},  {167, 60},   {173, 10}, {204, 10}, {224, 0}, {5000, 0}, {2368, 1}});
    }
    int apply(std::vector<KeyVal> p_vecRecords, bool p_bSave = true) {
        return controller().setParameters(p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()), p_bSave);
    }
};

TEST_F(ApplyTest, SaveSkipsUnchangedValuesAndRemembersApplied) {
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(34, 50, true));
    EXPECT_TRUE(sentValues(34).empty());
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(34, 60, true));
    EXPECT_EQ(0, ispsim::setCalls(34).at(0).channel);
    EXPECT_EQ(60, stored(34));
    EXPECT_EQ(50, stored(34, 1));
    // Without save every record goes out and nothing is remembered.
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(34, 70, false));
    EXPECT_EQ((Commands{60, 70}), sentValues(34));
    EXPECT_EQ(60, stored(34));
    // Stored-only keys never reach the ISP.
    ispsim::clearCalls();
    EXPECT_EQ(SNS_SUCCESS, apply({{8001, 9}, {10, 1}, {11, 1}, {13, 1}, {8002, 1}, {8003, 1}, {8004, 1}}));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(9, stored(8001));
}

// Only scheme 0 sets the scheme mode, for every user scheme; 1 is timed,
// 2 day/night, anything else neither.
TEST_F(ApplyTest, OnlySchemeZeroSetsTheModeForAllSchemes) {
    // Current scheme, value, timed, day/night, what the other user schemes hold.
    const int aanCases[][5] = {{0, 2, 0, 1, 2}, {0, 1, 1, 0, 1}, {0, 5, 0, 0, 0}, {2, 2, 0, 0, 0}};
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<int>(anCase, anCase + 5)));
        for (u32 nScheme = 0; nScheme <= 4; ++nScheme) store(8000, 0, static_cast<int>(nScheme));
        access().curScheme() = anCase[0];
        EXPECT_EQ(SNS_SUCCESS, controller().setParameter(8000, anCase[1], true));
        EXPECT_EQ(anCase[2] != 0, access().timingScheme());
        EXPECT_EQ(anCase[3] != 0, access().dnScheme());
        for (int nScheme = 0; nScheme < 4; ++nScheme)
            EXPECT_EQ(nScheme == anCase[0] ? anCase[1] : anCase[4], stored(8000, nScheme)) << nScheme;
        EXPECT_EQ(0, stored(8000, 4));
    }
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(ApplyTest, ThermalDirectKeysDoNotStopTheRun) {
    ispsim::failCommand(-1, 2384, -1);
    access().thermalChannel() = true;
    EXPECT_EQ(SNS_SUCCESS, apply({{2384, 1}, {8201, 3}, {34, 60}}));
    EXPECT_EQ(1, stored(2384));
    EXPECT_EQ(60, stored(34));
    EXPECT_TRUE(sentValues(8201).empty());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{2384, 1}, {8201, 3}}), notified());
    // Elsewhere the mirror goes through its map row and a failure ends the run.
    access().thermalChannel() = false;
    EXPECT_EQ(-2384, apply({{2384, 2}, {34, 70}}));
    EXPECT_EQ(1, stored(2384));
    EXPECT_EQ(60, stored(34));
}

TEST_F(ApplyTest, DayNightKeysActOnlyThroughSchemeZeroInDayNightMode) {
    access().dnScheme() = true;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(144, 2, true));
    EXPECT_EQ(2, stored(144, 0));
    EXPECT_EQ(2, stored(144, 1));
    access().curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(144, 1, true));
    EXPECT_EQ(Commands{2}, sentValues(144));
    EXPECT_EQ(1, stored(144, 1));
    EXPECT_EQ(2, stored(144, 0));
}

TEST_F(ApplyTest, OnlyTheKeyOfTheActiveLightTypeActsAndKeepsItsTwinEqual) {
    EXPECT_EQ(SNS_SUCCESS, apply({{168, 1}}));
    EXPECT_EQ(SNS_SUCCESS, apply({{161, 1}}));
    EXPECT_EQ(1, stored(168));
    store(224, 2);
    EXPECT_EQ(SNS_SUCCESS, apply({{161, 2}}));
    EXPECT_EQ(1, stored(161));
    EXPECT_EQ(SNS_SUCCESS, apply({{168, 2}}));
    EXPECT_EQ((Commands{1, 2}), sentValues(161));
    EXPECT_EQ(2, stored(161));
    // A map-less twin goes out through its plain key's row and command.
    EXPECT_EQ(SNS_SUCCESS, apply({{204, 40}}));
    EXPECT_EQ(Commands{40}, sentValues(171));
    EXPECT_EQ(40, stored(173));
    EXPECT_EQ(40, stored(204));
    // Companion writes happen without save too.
    store(224, 0);
    EXPECT_EQ(SNS_SUCCESS, apply({{163, 35}}, false));
    EXPECT_EQ(30, stored(163));
    EXPECT_EQ(35, stored(200));
}

TEST_F(ApplyTest, TheInfraredBudgetStopsTheRunWithTheFirstRecordsKey) {
    access().limitedIrPower() = true;
    EXPECT_EQ(SNS_SUCCESS, apply({{163, 40}}));
    EXPECT_EQ(-34, apply({{34, 70}, {163, 41}, {2337, 1}}));
    EXPECT_EQ((Commands{40}), sentValues(163));
    EXPECT_EQ(70, stored(34));
    EXPECT_TRUE(sentValues(2337).empty());
    // Key 0 first: the stop must not read as success.
    EXPECT_EQ(-1, apply({{0, 0}, {163, 41}}));
}

TEST_F(ApplyTest, AnUncachedPartnerStrengthIsReadFromTheIsp) {
    layOut({{163, 0}});
    access().limitedIrPower() = true;
    ispsim::setValue(0, 167, 70);
    const std::string strOut = printedBy([this] {
        EXPECT_EQ(-163, apply({{163, 31}}));
        ispsim::failCommand(0, 167, -1);
        EXPECT_EQ(SNS_SUCCESS, apply({{163, 31}}));
    });
    EXPECT_NE(std::string::npos, strOut.find("### KEY_IR_MANUAL_STRG_FAR doIaCmd sucess\n"));
    EXPECT_NE(std::string::npos, strOut.find("### KEY_IR_MANUAL_STRG_FAR doIaCmd error\n"));
    EXPECT_EQ(Commands{31}, sentValues(163));
}

// Unless that command exchanges a record, which the ISP would read and write
// whole: such a key is refused with a report and stops the run.
TEST_F(ApplyTest, AKeyWithoutARowIsSentWithItselfAsCommand) {
    EXPECT_EQ(SNS_SUCCESS, apply({{5000, 3}}));
    EXPECT_EQ(Commands{3}, sentValues(5000));
    EXPECT_EQ(3, stored(5000));
    EXPECT_NE(std::string::npos, printedBy([this] { EXPECT_EQ(-2816, controller().setParameter(2816, 1, true)); })
                                     .find("key(2816) is an ISP record command, not sent\n"));
    EXPECT_EQ(-4112, controller().setParameters(std::string("(34,61)(4112,1)(2337,1)"), true));
    EXPECT_EQ(Commands{61}, sentValues(34));
    EXPECT_TRUE(sentValues(2816).empty() && sentValues(4112).empty() && sentValues(2337).empty());
}

TEST_F(ApplyTest, AHandlerFailureStopsTheRunAndOnlyGraveOnesAreReported) {
    setDebugControl("6\n");
    ispsim::failCommand(-1, 2337, -4);
    const std::string strOut = printedBy([this] { EXPECT_EQ(-2337, apply({{34, 60}, {2337, 1}, {144, 1}})); });
    const size_t nReport =
        strOut.find("set KEY_SATURATION (2337,1) func:&ISensorController::doIaCmd ia_cmd:2337 ~~~failed ia_ret=-4\n");
    ASSERT_NE(std::string::npos, nReport);
    // Its header names the operation the host called, not an inner helper.
    EXPECT_EQ(strOut.rfind("fun:setParameters line:", nReport), strOut.rfind("fun:", nReport));
    EXPECT_EQ(60, stored(34));
    EXPECT_EQ(128, stored(2337));
    EXPECT_TRUE(sentValues(144).empty());
    ispsim::failCommand(-1, 2337, -2);
    EXPECT_EQ(std::string::npos,
              printedBy([this] { EXPECT_EQ(-2337, apply({{2337, 2}})); }).find("~~~failed"));
}

TEST_F(ApplyTest, TracesEachAppliedRecordAndStoresTheHandlersRewrite) {
    setDebugControl("6\n");
    access().showWdr() = false;
    const std::string strOut = printedBy([this] { EXPECT_EQ(SNS_SUCCESS, apply({{34, 60}, {2368, 2}})); });
    EXPECT_NE(std::string::npos, strOut.find("====================== set KEY_BRIGHTNESS (34,60) "
                                             "func:&ISensorController::doIaCmd ia_cmd:34 =====================\n"));
    EXPECT_EQ('\n', strOut.back());
    EXPECT_EQ(0, stored(2368));
}

TEST_F(ApplyTest, TextEntryRefusesMoreItemsThanASchemeHolds) {
    EXPECT_EQ(SNS_SUCCESS, controller().setParameters(std::string("(34,60)(2337,100)"), true));
    EXPECT_EQ(100, stored(2337));
    std::string strTooMany;
    for (int i = 0; i < 19; ++i) strTooMany += "(34,61)";
    EXPECT_EQ(-1, controller().setParameters(strTooMany, true));
    EXPECT_EQ(Commands{60}, sentValues(34));
    EXPECT_EQ(60, stored(34));
}

}  // namespace
