// Saving the current scheme, returning to the saved values, re-sending stored
// values, the factory reset and the sensor check, on a started controller.
#include <gtest/gtest.h>

#include "SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"

class StartedControllerTest : public SchemeControllerFixture {
protected:
    void start(const std::string& p_strDetail = "") {
        installDevice("ir-bullet");
        ISensorController& objController = makeController(1);
        ASSERT_TRUE(objController.init(moduleConfig(0, p_strDetail)));
        ispsim::clearCalls();
    }
    std::vector<KeyVal> factorySet() {
        return std::vector<KeyVal>(access().fctKeyVal(), access().fctKeyVal() + access().keyValSum());
    }
};

struct FlushCase {
    const char* name;
    int startHour;
    int startMin;
    int endHour;
    int endMin;
    int result;
};

class FlushRefusalTest : public StartedControllerTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushRefusalTest, InvalidWindowIsRefusedAndNothingWritten) {
    start();
    const std::string strBefore = readFile(schemePath(1, 0));
    age(schemePath(1, 0));
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, 66, true), SNS_SUCCESS);
    controller().setParameter(KEY_SCHEME_START_HOUR, GetParam().startHour, true);
    controller().setParameter(KEY_SCHEME_START_MIN, GetParam().startMin, true);
    controller().setParameter(KEY_SCHEME_END_HOUR, GetParam().endHour, true);
    controller().setParameter(KEY_SCHEME_END_MIN, GetParam().endMin, true);

    EXPECT_EQ(controller().flush(), GetParam().result);

    EXPECT_EQ(mtime(schemePath(1, 0)), 1000);
    EXPECT_EQ(readFile(schemePath(1, 0)), strBefore);
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 66);
}

INSTANTIATE_TEST_SUITE_P(Windows, FlushRefusalTest,
                         ::testing::Values(FlushCase{"StartAfterMidnight", 24, 1, 24, 30, 505},
                                           FlushCase{"EndAfterMidnight", 0, 0, 25, 0, 506},
                                           FlushCase{"Wrapped", 18, 0, 8, 0, 507}),
                         [](const ::testing::TestParamInfo<FlushCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

TEST_F(StartedControllerTest, FlushWritesTheCurrentScheme) {
    start();
    ASSERT_TRUE(controller().setParamScheme(2));
    controller().setParameter(KEY_BRIGHTNESS, 66, true);

    EXPECT_EQ(controller().flush(), SNS_SUCCESS);

    EXPECT_EQ(valueOf(readScheme(schemePath(1, 2)), KEY_BRIGHTNESS), 66);
    EXPECT_EQ(valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS), valueOf(factorySet(), KEY_BRIGHTNESS));
}

TEST_F(StartedControllerTest, FlushWithTheFactorySetCurrentWritesNothing) {
    start();
    ASSERT_TRUE(controller().setParamScheme(4));
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));

    EXPECT_EQ(controller().flush(), SNS_SUCCESS);

    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
}

TEST_F(StartedControllerTest, RevertSendsBackExactlyTheChangedKey) {
    start();
    const int nSaved = access().schemeValue(0, KEY_BRIGHTNESS);
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, nSaved + 11, true), SNS_SUCCESS);
    ispsim::clearCalls();

    EXPECT_TRUE(controller().resetToLastParameters());

    ASSERT_EQ(ispsim::calls().size(), 1u);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{nSaved});
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nSaved);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_RETURNING, 0u);
}

TEST_F(StartedControllerTest, RevertAfterFlushSendsNothing) {
    start();
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
    const int nStored = access().schemeValue(0, KEY_BRIGHTNESS);

    EXPECT_EQ(controller().restore(KEY_BRIGHTNESS), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{nStored});

    EXPECT_EQ(controller().restore(9999), -1);
    EXPECT_NE(errorLog().find("restore key(9999) failed!"), std::string::npos);
}

TEST_F(StartedControllerTest, RestoreAeModeSendsFocusThenExposure) {
    start();
    ASSERT_TRUE(access().hasLens());

    EXPECT_TRUE(controller().restoreAeMode());

    std::vector<int> vecCommands;
    for (const ispsim::Call& stCall : ispsim::calls()) vecCommands.push_back(stCall.cmd);
    EXPECT_EQ(vecCommands, (std::vector<int>{KEY_AUTO_FOCUS_MODE, KEY_EXPOSE_MODE}));
}

TEST_F(StartedControllerTest, RestoreAeModeFailsWhenTheFocusModeFails) {
    start();
    ispsim::failCommand(0, KEY_AUTO_FOCUS_MODE, -1);

    EXPECT_FALSE(controller().restoreAeMode());

    EXPECT_TRUE(ispsim::setCalls(KEY_EXPOSE_MODE).empty());
}

TEST_F(StartedControllerTest, RestoreAeModeWithoutLensOnlyExposure) {
    start();
    access().hasLens() = false;

    EXPECT_TRUE(controller().restoreAeMode());

    EXPECT_TRUE(ispsim::setCalls(KEY_AUTO_FOCUS_MODE).empty());
    EXPECT_EQ(ispsim::setCalls(KEY_EXPOSE_MODE).size(), 1u);
}

TEST_F(StartedControllerTest, RestoreAeModeOnTheThermalChannelLeavesExposure) {
    start();
    access().thermalChannel() = true;
    ispsim::failCommand(0, KEY_EXPOSE_MODE, -1);

    EXPECT_TRUE(controller().restoreAeMode());

    EXPECT_EQ(ispsim::setCalls(KEY_AUTO_FOCUS_MODE).size(), 1u);
    EXPECT_TRUE(ispsim::setCalls(KEY_EXPOSE_MODE).empty());
}

TEST_F(StartedControllerTest, FactoryResetLeavesSchemeZeroAndFreshFiles) {
    const std::string strDetail = "(max_scheme=6)(isInfrared=1)(lensId=3)";
    start(strDetail);
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
        const std::vector<KeyVal> vecStored = readScheme(schemePath(1, i));
        ASSERT_EQ(vecStored.size(), vecFactory.size()) << i;
        EXPECT_EQ(std::memcmp(vecStored.data(), vecFactory.data(), vecFactory.size() * sizeof(KeyVal)), 0) << i;
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
                         [](const ::testing::TestParamInfo<ReloadCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

class SensorCheckTest : public SchemeControllerFixture {
protected:
    void SetUp() override {
        SchemeControllerFixture::SetUp();
        installDevice("ir-bullet");
        makeController(1);
    }
};

TEST_F(SensorCheckTest, QueryReplacesTheTextWithTheAnswerWord) {
    std::string strText = "(5,2,0)";

    EXPECT_EQ(controller().SensorCheck(strText), SNS_SUCCESS);

    const std::vector<ispsim::Call> vecCalls = ispsim::calls();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_EQ(vecCalls[0].cmd, IA_CMD_SENSOR_CHECK);
    EXPECT_EQ(vecCalls[0].option, static_cast<unsigned>(IA_CMD_OPT_GET));
    EXPECT_EQ(vecCalls[0].wordIn(0), 5);
    EXPECT_EQ(vecCalls[0].wordIn(1), 2);
    EXPECT_EQ(vecCalls[0].wordIn(2), 0);
    EXPECT_EQ(strText, "1");
}

TEST_F(SensorCheckTest, CommandKeepsTheText) {
    std::string strText = "(5,1,9)";

    EXPECT_EQ(controller().SensorCheck(strText), SNS_SUCCESS);

    ASSERT_EQ(ispsim::setCalls(IA_CMD_SENSOR_CHECK).size(), 1u);
    EXPECT_EQ(ispsim::setCalls(IA_CMD_SENSOR_CHECK)[0].wordIn(2), 9);
    EXPECT_EQ(strText, "(5,1,9)");
}

TEST_F(SensorCheckTest, ShortOrMalformedListIsRefusedAndNothingSent) {
    for (const char* szText : {"(5,2)", "", "5,2,0", "(5)(6)"}) {
        std::string strText = szText;
        testing::internal::CaptureStdout();
        const int nStatus = controller().SensorCheck(strText);
        const std::string strOut = testing::internal::GetCapturedStdout();

        EXPECT_NE(nStatus, SNS_SUCCESS) << szText;
        EXPECT_EQ(strText, szText);
        EXPECT_NE(strOut.find(std::string("getParameters fail p_strIds = ") + szText + " \n"), std::string::npos)
            << szText;
    }
    EXPECT_TRUE(ispsim::calls().empty());
}
