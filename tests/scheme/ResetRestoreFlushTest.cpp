// Saving the current scheme, returning to the saved values, re-sending stored
// values, the factory reset and the sensor check, on a started controller.
#include <gtest/gtest.h>

#include <tuple>

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
};

// The window's check decides whether the file is rewritten; only the current
// scheme's file is, and none for the factory set.
TEST_F(StartedControllerTest, FlushWritesTheCurrentSchemeOnlyWhenItsWindowIsValid) {
    start();
    // Start hour and minute, end hour and minute, flush result.
    // Fields that would wrap the 32-bit sum to a valid time are refused.
    const int aanCases[][5] = {{24, 1, 24, 30, 505}, {0, 0, 25, 0, 506},       {18, 0, 8, 0, 507},
                               {10, 0, 10, 0, 507},  {0, 0, 24, 0, 0},         {10, 75, 11, 0, 0},
                               {42949673, 0, 24, 0, 505}, {1, -100, 24, 0, 505}, {0, 0, 42949696, 0, 506}};
    const int anKeys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    int nBrightness = 60;
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<int>(anCase, anCase + 5)));
        const std::string strBefore = readFile(schemePath(1, 0));
        for (int i = 0; i < 4; ++i) age(schemePath(1, i));
        ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, ++nBrightness, true), SNS_SUCCESS);
        for (int i = 0; i < 4; ++i) controller().setParameter(anKeys[i], anCase[i], true);
        EXPECT_EQ(controller().flush(), anCase[4]);
        EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nBrightness);
        EXPECT_EQ(valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS),
                  anCase[4] == 0 ? nBrightness : valueOf(strBefore, KEY_BRIGHTNESS));
        for (int i = anCase[4] == 0 ? 1 : 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    }
    ASSERT_TRUE(controller().setParamScheme(4));
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));
    EXPECT_EQ(controller().flush(), SNS_SUCCESS);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    EXPECT_FALSE(fileExists(schemePath(1, 4)));
}

// After a flush, and for records a short file lacks, nothing is sent back.
TEST_F(StartedControllerTest, RevertSendsBackExactlyTheChangedKeysTheFileHolds) {
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
    std::vector<KeyVal> vecStored = readScheme(schemePath(1, 0));
    ASSERT_GT(vecStored.size(), 9u);
    vecStored.resize(8);
    writeScheme(schemePath(1, 0), vecStored);
    const u32 nBeyond = access().scheme(0)[9].key;
    controller().setParameter(static_cast<int>(nBeyond), 3, true);
    const int nBeyondValue = access().schemeValue(0, nBeyond);
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 71);
    EXPECT_EQ(access().schemeValue(0, nBeyond), nBeyondValue);

    // Without a saved file nothing is reverted, and the answer says so.
    removeFile(schemePath(1, 0));
    EXPECT_FALSE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_NE(errorLog().find("nothing reverted"), std::string::npos);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_RETURNING, 0u);
}

TEST_F(StartedControllerTest, RestoreResendsTheStoredValue) {
    start();
    EXPECT_EQ(controller().restore(KEY_BRIGHTNESS), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{access().schemeValue(0, KEY_BRIGHTNESS)});
    EXPECT_EQ(controller().restore(9999), -1);
    EXPECT_NE(errorLog().find("restore key(9999) failed!"), std::string::npos);
}

TEST_F(StartedControllerTest, RestoreAeModeSendsFocusThenExposureAsTheChannelHas) {
    start();
    ASSERT_TRUE(access().hasLens());
    const struct {
        bool hasLens, thermal;
        int failing;  // the command the ISP refuses, 0 for none
        bool result;
        std::vector<int> sent;
    } aCases[] = {{true, false, 0, true, {KEY_AUTO_FOCUS_MODE, KEY_EXPOSE_MODE}},
                  {true, false, KEY_AUTO_FOCUS_MODE, false, {KEY_AUTO_FOCUS_MODE}},
                  {false, false, 0, true, {KEY_EXPOSE_MODE}},
                  {true, true, KEY_EXPOSE_MODE, true, {KEY_AUTO_FOCUS_MODE}}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(::testing::PrintToString(c.sent) + " failing " + std::to_string(c.failing));
        ispsim::clearFaults();
        ispsim::clearCalls();
        access().hasLens() = c.hasLens;
        access().thermalChannel() = c.thermal;
        if (c.failing != 0) ispsim::failCommand(0, c.failing, -1);
        EXPECT_EQ(controller().restoreAeMode(), c.result);
        std::vector<int> vecSent;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecSent.push_back(stCall.cmd);
        EXPECT_EQ(vecSent, c.sent);
    }
}

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

    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(readFile(schemePath(1, i)), image(vecFactory)) << i;
        EXPECT_EQ(access().schemeValue(static_cast<u32>(i), KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS));
    }
    EXPECT_TRUE(controller().getSensorStatus());
    EXPECT_EQ(access().stateFlags().load() & (SENSOR_STATE_RESETTING | SENSOR_STATE_INIT_RUNNING), 0u);
    EXPECT_EQ(ispsim::setCalls(KEY_BRIGHTNESS).back().valueIn(), valueOf(vecFactory, KEY_BRIGHTNESS));
}

// Above debug level 5 the reset re-reads the module configuration (whose
// detail text gives 4 schemes), unless that yields nothing.
TEST_F(StartedControllerTest, FactoryResetAtAHighDebugLevelReReadsTheModuleConfiguration) {
    start("(max_scheme=3)(isInfrared=1)(lensId=3)");
    const std::string strConfig = readFile("/hd1/moduleConfig/moduleConfig.xml");
    // Debug control, whether the configuration file is there, scheme count.
    const std::tuple<const char*, bool, u32> astCases[] = {
        std::make_tuple("1\n0\n", true, 3u), std::make_tuple("6\n0\n", false, 3u), std::make_tuple("6\n0\n", true, 4u)};
    for (const auto& stCase : astCases) {
        SCOPED_TRACE(std::get<0>(stCase));
        setDebugControl(std::get<0>(stCase));
        if (std::get<1>(stCase)) writeFile("/hd1/moduleConfig/moduleConfig.xml", strConfig);
        else removeFile("/hd1/moduleConfig/moduleConfig.xml");
        testing::internal::CaptureStdout();
        controller().resetParameters();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(access().sysConf().nSchemeSum, std::get<2>(stCase));
    }
}

class SensorCheckTest : public SchemeControllerFixture {};

// A query (second item 2) takes the ISP's answer word; a command keeps the text.
TEST_F(SensorCheckTest, QueryTakesTheAnswerWordAndACommandKeepsTheText) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    for (const char* szText : {"(5,2,0)", "(5,1,9)"}) {
        ispsim::clearCalls();
        std::string strText = szText;
        EXPECT_EQ(objController.SensorCheck(strText), SNS_SUCCESS);
        const std::vector<ispsim::Call> vecCalls = ispsim::calls();
        ASSERT_EQ(vecCalls.size(), 1u);
        EXPECT_EQ(vecCalls[0].cmd, IA_CMD_SENSOR_CHECK);
        EXPECT_EQ(vecCalls[0].option, static_cast<unsigned>(szText[3] == '2' ? IA_CMD_OPT_GET : IA_CMD_OPT_SET));
        EXPECT_EQ(std::vector<int>({vecCalls[0].wordIn(0), vecCalls[0].wordIn(1), vecCalls[0].wordIn(2)}),
                  std::vector<int>({5, szText[3] - '0', szText[5] - '0'}));
        EXPECT_EQ(strText, szText[3] == '2' ? "1" : szText);
    }
}

TEST_F(SensorCheckTest, ShortOrMalformedListIsRefusedAndNothingSent) {
    ISensorController& objController = makeController(1);
    for (const char* szText : {"(5,2)", "", "()", "5,2,0", "(5,2,0)(6)", " (5,2,0)", "(5,2,0) ", "(5,2,0"}) {
        std::string strText = szText;
        testing::internal::CaptureStdout();
        EXPECT_NE(objController.SensorCheck(strText), SNS_SUCCESS) << szText;
        const std::string strOut = testing::internal::GetCapturedStdout();
        EXPECT_EQ(strText, szText);
        EXPECT_NE(strOut.find(std::string("getParameters fail p_strIds = ") + szText + " \n"), std::string::npos) << szText;
    }
    EXPECT_TRUE(ispsim::calls().empty());
}
