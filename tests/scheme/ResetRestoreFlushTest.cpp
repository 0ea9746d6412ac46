// Saving the current scheme, returning to the saved values, re-sending stored
// values, the factory reset and the sensor check, on a started controller.
#include <gtest/gtest.h>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"

class StartedControllerTest : public SchemeControllerFixture {
protected:
    void start(const std::string& p_strDetail = "") {
        installDevice("ir-bullet");
        ASSERT_TRUE(makeController(1).init(moduleConfig(0, p_strDetail)));
        ispsim::clearCalls();
    }
    std::vector<KeyVal> factorySet() {
        return std::vector<KeyVal>(access().fctKeyVal(), access().fctKeyVal() + access().keyValSum());
    }
    static std::vector<int> setCommands() {
        std::vector<int> vecCommands;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecCommands.push_back(stCall.cmd);
        return vecCommands;
    }
};

struct FlushCase {
    const char* name;
    int startHour, startMin, endHour, endMin, result;
};

class FlushRefusalTest : public StartedControllerTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushRefusalTest, InvalidWindowIsRefusedAndNothingWritten) {
    start();
    const std::string strBefore = readFile(schemePath(1, 0));
    age(schemePath(1, 0));
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, 66, true), SNS_SUCCESS);
    const FlushCase& c = GetParam();
    const int anKeys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    const int anValues[] = {c.startHour, c.startMin, c.endHour, c.endMin};
    for (int i = 0; i < 4; ++i) controller().setParameter(anKeys[i], anValues[i], true);

    EXPECT_EQ(controller().flush(), c.result);
    EXPECT_EQ(mtime(schemePath(1, 0)), 1000);
    EXPECT_EQ(readFile(schemePath(1, 0)), strBefore);
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 66);
}

INSTANTIATE_TEST_SUITE_P(Windows, FlushRefusalTest,
                         ::testing::Values(FlushCase{"StartAfterMidnight", 24, 1, 24, 30, 505},
                                           FlushCase{"EndAfterMidnight", 0, 0, 25, 0, 506},
                                           FlushCase{"Wrapped", 18, 0, 8, 0, 507}),
                         [](const ::testing::TestParamInfo<FlushCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(StartedControllerTest, FlushWritesTheCurrentSchemeOnlyAndNothingForTheFactorySet) {
    start();
    ASSERT_TRUE(controller().setParamScheme(2));
    controller().setParameter(KEY_BRIGHTNESS, 66, true);
    EXPECT_EQ(controller().flush(), SNS_SUCCESS);
    EXPECT_EQ(valueOf(readScheme(schemePath(1, 2)), KEY_BRIGHTNESS), 66);
    EXPECT_EQ(valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS), valueOf(factorySet(), KEY_BRIGHTNESS));

    ASSERT_TRUE(controller().setParamScheme(4));
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));
    EXPECT_EQ(controller().flush(), SNS_SUCCESS);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
}

TEST_F(StartedControllerTest, RevertSendsBackExactlyTheChangedKeyAndNothingAfterAFlush) {
    start();
    const int nSaved = access().schemeValue(0, KEY_BRIGHTNESS);
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, nSaved + 11, true), SNS_SUCCESS);
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    ASSERT_EQ(ispsim::calls().size(), 1u);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{nSaved});
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nSaved);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_RETURNING, 0u);

    controller().setParameter(KEY_BRIGHTNESS, 71, true);
    ASSERT_EQ(controller().flush(), SNS_SUCCESS);
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 71);
}

TEST_F(StartedControllerTest, RevertFromAShortFileSendsOnlyWhatTheFileHolds) {
    start();
    std::vector<KeyVal> vecStored = readScheme(schemePath(1, 0));
    ASSERT_GT(vecStored.size(), 9u);
    vecStored.resize(8);
    writeScheme(schemePath(1, 0), vecStored);
    const u32 nBeyond = access().scheme(0)[9].key;
    controller().setParameter(static_cast<int>(nBeyond), 3, true);
    const int nBeyondValue = access().schemeValue(0, nBeyond);
    ispsim::clearCalls();
    controller().resetToLastParameters();
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(access().schemeValue(0, nBeyond), nBeyondValue);
}

TEST_F(StartedControllerTest, RestoreResendsTheStoredValue) {
    start();
    EXPECT_EQ(controller().restore(KEY_BRIGHTNESS), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{access().schemeValue(0, KEY_BRIGHTNESS)});
    EXPECT_EQ(controller().restore(9999), -1);
    EXPECT_NE(errorLog().find("restore key(9999) failed!"), std::string::npos);
}

struct AeCase {
    const char* name;
    bool hasLens, thermal;
    int failing;  // the command the ISP refuses, 0 for none
    bool result;
    std::vector<int> sent;
};

class RestoreAeModeTest : public StartedControllerTest, public ::testing::WithParamInterface<AeCase> {};

TEST_P(RestoreAeModeTest, SendsFocusThenExposureAsTheChannelHas) {
    start();
    ASSERT_TRUE(access().hasLens());
    access().hasLens() = GetParam().hasLens;
    access().thermalChannel() = GetParam().thermal;
    if (GetParam().failing != 0) ispsim::failCommand(0, GetParam().failing, -1);
    EXPECT_EQ(controller().restoreAeMode(), GetParam().result);
    EXPECT_EQ(setCommands(), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, RestoreAeModeTest,
    ::testing::Values(AeCase{"Lens", true, false, 0, true, {KEY_AUTO_FOCUS_MODE, KEY_EXPOSE_MODE}},
                      AeCase{"FocusModeFails", true, false, KEY_AUTO_FOCUS_MODE, false, {KEY_AUTO_FOCUS_MODE}},
                      AeCase{"NoLens", false, false, 0, true, {KEY_EXPOSE_MODE}},
                      AeCase{"ThermalLeavesExposure", true, true, KEY_EXPOSE_MODE, true, {KEY_AUTO_FOCUS_MODE}}),
    [](const ::testing::TestParamInfo<AeCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(StartedControllerTest, FactoryResetLeavesSchemeZeroAndFreshFiles) {
    start("(max_scheme=6)(isInfrared=1)(lensId=3)");
    const std::vector<KeyVal> vecFactory = factorySet();
    for (int nScheme : {0, 5}) {
        ASSERT_TRUE(controller().setParamScheme(nScheme));
        controller().setParameter(KEY_BRIGHTNESS, 80 + nScheme, true);
        ASSERT_EQ(controller().flush(), SNS_SUCCESS);
    }
    ASSERT_EQ(valueOf(readScheme(schemePath(1, 5)), KEY_BRIGHTNESS), 85);

    EXPECT_TRUE(controller().resetParameters());

    int nScheme = -7;
    controller().getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(readFile(schemePath(1, i)), image(vecFactory)) << i;
        EXPECT_EQ(access().schemeValue(static_cast<u32>(i), KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS));
    }
    EXPECT_TRUE(controller().getSensorStatus());
    EXPECT_EQ(access().stateFlags().load() & (SENSOR_STATE_RESETTING | SENSOR_STATE_INIT_RUNNING), 0u);
    EXPECT_EQ(ispsim::setCalls(KEY_BRIGHTNESS).back().valueIn(), valueOf(vecFactory, KEY_BRIGHTNESS));
}

struct ReloadCase {
    const char* name;
    const char* debugControl;
    bool removeModuleConfig;
    u32 schemeSum;
};

class FactoryResetConfigTest : public StartedControllerTest, public ::testing::WithParamInterface<ReloadCase> {};

TEST_P(FactoryResetConfigTest, HighDebugLevelReReadsTheModuleConfiguration) {
    start("(max_scheme=3)(isInfrared=1)(lensId=3)");
    ASSERT_EQ(access().sysConf().nSchemeSum, 3u);
    setDebugControl(GetParam().debugControl);
    if (GetParam().removeModuleConfig) removeFile("/hd1/moduleConfig/moduleConfig.xml");
    testing::internal::CaptureStdout();
    controller().resetParameters();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(access().sysConf().nSchemeSum, GetParam().schemeSum);
}

INSTANTIATE_TEST_SUITE_P(Levels, FactoryResetConfigTest,
                         ::testing::Values(ReloadCase{"StoredConfiguration", "1\n0\n", false, 3},
                                           ReloadCase{"ReReadConfiguration", "6\n0\n", false, 4},
                                           ReloadCase{"EmptyParseKeepsStored", "6\n0\n", true, 3}),
                         [](const ::testing::TestParamInfo<ReloadCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

class SensorCheckTest : public SchemeControllerFixture {
protected:
    void SetUp() override {
        SchemeControllerFixture::SetUp();
        installDevice("ir-bullet");
        makeController(1);
    }
};

TEST_F(SensorCheckTest, QueryTakesTheAnswerWordAndACommandKeepsTheText) {
    std::string strText = "(5,2,0)";
    EXPECT_EQ(controller().SensorCheck(strText), SNS_SUCCESS);
    const std::vector<ispsim::Call> vecCalls = ispsim::calls();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_EQ(vecCalls[0].cmd, IA_CMD_SENSOR_CHECK);
    EXPECT_EQ(vecCalls[0].option, static_cast<unsigned>(IA_CMD_OPT_GET));
    EXPECT_EQ(std::vector<int>({vecCalls[0].wordIn(0), vecCalls[0].wordIn(1), vecCalls[0].wordIn(2)}),
              std::vector<int>({5, 2, 0}));
    EXPECT_EQ(strText, "1");

    strText = "(5,1,9)";
    EXPECT_EQ(controller().SensorCheck(strText), SNS_SUCCESS);
    ASSERT_EQ(ispsim::setCalls(IA_CMD_SENSOR_CHECK).size(), 1u);
    EXPECT_EQ(ispsim::setCalls(IA_CMD_SENSOR_CHECK)[0].wordIn(2), 9);
    EXPECT_EQ(strText, "(5,1,9)");
}

TEST_F(SensorCheckTest, ShortOrMalformedListIsRefusedAndNothingSent) {
    for (const char* szText : {"(5,2)", "", "5,2,0", "(5)(6)"}) {
        std::string strText = szText;
        testing::internal::CaptureStdout();
        EXPECT_NE(controller().SensorCheck(strText), SNS_SUCCESS) << szText;
        const std::string strOut = testing::internal::GetCapturedStdout();
        EXPECT_EQ(strText, szText);
        EXPECT_NE(strOut.find(std::string("getParameters fail p_strIds = ") + szText + " \n"), std::string::npos) << szText;
    }
    EXPECT_TRUE(ispsim::calls().empty());
}
