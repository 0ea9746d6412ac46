// Start-up and shut-down on the bundled device roots: scheme files created,
// kept or cleaned up, the scheme-mode flags and the first scheme, the detail
// markers, and the style flags taken from the video module.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../scheme/SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"

namespace {

bool sameRecords(const std::vector<KeyVal>& p_vecLeft, const KeyVal* p_pRight, u32 p_nCount) {
    if (p_vecLeft.size() != p_nCount) return false;
    return p_nCount == 0 || std::memcmp(p_vecLeft.data(), p_pRight, p_nCount * sizeof(KeyVal)) == 0;
}

size_t occurrences(const std::string& p_strText, const std::string& p_strPattern) {
    size_t nCount = 0;
    for (size_t nPos = p_strText.find(p_strPattern); nPos != std::string::npos;
         nPos = p_strText.find(p_strPattern, nPos + 1))
        ++nCount;
    return nCount;
}

}  // namespace

class StartupTest : public SchemeControllerFixture {
protected:
    // Starts a controller once so that every scheme file and the version file
    // exist, then shuts it down.
    void primeFiles(int p_nChannel = 1, size_t p_nModule = 0, const std::string& p_strDetail = "") {
        ISensorController& objController = makeController(p_nChannel);
        ASSERT_TRUE(objController.init(moduleConfig(p_nModule, p_strDetail)));
        objController.uinit();
        ispsim::clearCalls();
    }
    std::vector<KeyVal> factorySet(size_t p_nIndex) {
        ISensorControllerTestAccess& objAccess = access(p_nIndex);
        return std::vector<KeyVal>(objAccess.fctKeyVal(), objAccess.fctKeyVal() + objAccess.keyValSum());
    }
};

TEST_F(StartupTest, FirstStartCreatesEverySchemeFileFromTheFactorySet) {
    installDevice("ir-bullet");
    setDebugControl("4\n0\n");
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));

    EXPECT_NE(errorLog().find("check the sensor version,   local(0) --> libsensordll.so(8)"), std::string::npos);
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg");

    const std::vector<KeyVal> vecFactory = factorySet(0);
    ASSERT_GT(vecFactory.size(), 5u);
    EXPECT_EQ(vecFactory[0].key, static_cast<u32>(KEY_SCHEME_MODE));
    EXPECT_EQ(valueOf(vecFactory, KEY_SCHEME_MODE), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(sameRecords(readScheme(schemePath(1, i)), vecFactory.data(), vecFactory.size())) << i;
    }
    EXPECT_FALSE(fileExists(schemePath(1, 4)));
    EXPECT_EQ(readFile(versionPath()), std::string("\x08\x00\x00\x00", 4));

    int nScheme = -1;
    EXPECT_TRUE(objController.getParamScheme(nScheme));
    EXPECT_EQ(nScheme, 0);
    EXPECT_TRUE(objController.getSensorStatus());
    // The first switch has no scheme to compare with: every value is sent.
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{valueOf(vecFactory, KEY_BRIGHTNESS)});
    EXPECT_EQ(sentValues(KEY_SATURATION), std::vector<int>{valueOf(vecFactory, KEY_SATURATION)});
}

TEST_F(StartupTest, RestartWithFilesPresentWritesOnlyTheVersionFile) {
    installDevice("ir-bullet");
    setDebugControl("4\n0\n");
    primeFiles();
    std::vector<KeyVal> vecScheme1 = readScheme(schemePath(1, 1));
    setValue(vecScheme1, KEY_BRIGHTNESS, 77);
    writeScheme(schemePath(1, 1), vecScheme1);
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));
    age(versionPath());
    const std::string strLogBefore = errorLog();
    const unsigned long nCommandsBefore = hostsim::systemCommandCount();

    makeController(1);
    EXPECT_TRUE(controller(1).init(moduleConfig()));

    EXPECT_EQ(occurrences(errorLog(), "check the sensor version"), occurrences(strLogBefore, "check the sensor version"));
    EXPECT_EQ(hostsim::systemCommandCount(), nCommandsBefore);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    EXPECT_NE(mtime(versionPath()), 1000);
    EXPECT_EQ(access(1).schemeValue(1, KEY_BRIGHTNESS), 77);
}

TEST_F(StartupTest, VersionChangeRecreatesAllSixSchemeFiles) {
    installDevice("ir-bullet");
    setDebugControl("4\n0\n");
    const std::string strDetail = "(max_scheme=6)(isInfrared=1)(lensId=3)";
    primeFiles(1, 0, strDetail);
    for (int i = 0; i < 6; ++i) {
        std::vector<KeyVal> vecStored = readScheme(schemePath(1, i));
        setValue(vecStored, KEY_BRIGHTNESS, 90 + i);
        writeScheme(schemePath(1, i), vecStored);
    }
    writeVersion(7);

    makeController(1);
    EXPECT_TRUE(controller(1).init(moduleConfig(0, strDetail)));

    EXPECT_NE(errorLog().find("local(7) --> libsensordll.so(8)"), std::string::npos);
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg");
    const std::vector<KeyVal> vecFactory = factorySet(1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(sameRecords(readScheme(schemePath(1, i)), vecFactory.data(), vecFactory.size())) << i;
        EXPECT_EQ(access(1).schemeValue(static_cast<u32>(i), KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS))
            << i;
    }
    EXPECT_EQ(readFile(versionPath()), std::string("\x08\x00\x00\x00", 4));
}

TEST_F(StartupTest, VersionChangeOnTheThermalChannelRemovesOnlyThermalFiles) {
    installDevice("thermal-dual");
    primeFiles(2, 1);
    ASSERT_TRUE(access(0).thermalChannel());
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(fileExists(thermalPath(i))) << i;
    std::vector<KeyVal> vecMarked = readScheme(thermalPath(1));
    ASSERT_FALSE(vecMarked.empty());
    setValue(vecMarked, KEY_BRIGHTNESS, 99);
    for (int i = 0; i < 4; ++i) writeScheme(thermalPath(i), vecMarked);
    writeScheme(schemePath(1, 0), vecMarked);
    writeVersion(7);

    makeController(2);
    EXPECT_TRUE(controller(1).init(moduleConfig(1)));

    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor-thermal*.cfg");
    const std::vector<KeyVal> vecFactory = factorySet(1);
    ASSERT_NE(valueOf(vecFactory, KEY_BRIGHTNESS), 99);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(valueOf(readScheme(thermalPath(i)), KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS)) << i;
    EXPECT_EQ(valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS), 99);
}

TEST_F(StartupTest, DayNightModeFromSchemeZeroLetsTheFirstPassChoose) {
    installDevice("ir-bullet");
    primeFiles();
    std::vector<KeyVal> vecScheme0 = readScheme(schemePath(1, 0));
    setValue(vecScheme0, KEY_SCHEME_MODE, 2);
    setValue(vecScheme0, KEY_BRIGHTNESS, 10);
    writeScheme(schemePath(1, 0), vecScheme0);
    std::vector<KeyVal> vecScheme1 = readScheme(schemePath(1, 1));
    setValue(vecScheme1, KEY_BRIGHTNESS, 20);
    writeScheme(schemePath(1, 1), vecScheme1);
    ispsim::setDayNightState(0, 1);

    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));

    int nScheme = -7;
    objController.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 1);
    // No switch to scheme 0 came first.
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{20});

    // The running thread (its waits are instant here) follows the day.
    ispsim::setDayNightState(0, 0);
    for (long nPoll = 0; nPoll < 100000000L && nScheme != 0; ++nPoll) objController.getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), (std::vector<int>{20, 10}));

    objController.setParamMode(0);
    EXPECT_TRUE(access(1).dnScheme());
    EXPECT_FALSE(access(1).timingScheme());
}

TEST_F(StartupTest, TimedModeStartsInTheSchemeWhoseWindowHoldsTheTime) {
    installDevice("ir-bullet");
    primeFiles();
    std::vector<KeyVal> vecScheme0 = readScheme(schemePath(1, 0));
    setValue(vecScheme0, KEY_SCHEME_MODE, 1);
    setValue(vecScheme0, KEY_SCHEME_END_HOUR, 0);
    writeScheme(schemePath(1, 0), vecScheme0);
    std::vector<KeyVal> vecScheme2 = readScheme(schemePath(1, 2));
    setValue(vecScheme2, KEY_SCHEME_START_HOUR, 12);
    setValue(vecScheme2, KEY_SCHEME_END_HOUR, 13);
    writeScheme(schemePath(1, 2), vecScheme2);
    std::vector<KeyVal> vecScheme1 = readScheme(schemePath(1, 1));
    setValue(vecScheme1, KEY_SCHEME_END_HOUR, 0);
    writeScheme(schemePath(1, 1), vecScheme1);
    hostsim::setClock(12, 30);

    makeController(1);
    EXPECT_TRUE(controller(1).init(moduleConfig()));

    controller(1).setParamMode(0);
    EXPECT_TRUE(access(1).timingScheme());
    EXPECT_EQ(access(1).curScheme(), 2);
}

TEST_F(StartupTest, PlateRecognitionDeviceGetsTheNightDefaultsInSchemeOne) {
    installDevice("ir-bullet");
    setDeviceType(8);
    makeController(1);
    EXPECT_TRUE(controller().init(moduleConfig(0, "(max_scheme=4)(lensId=3)")));

    EXPECT_TRUE(access().lprScheme());
    const std::vector<KeyVal> vecFactory = factorySet(0);
    const std::vector<KeyVal> vecNight = readScheme(schemePath(1, 1));
    ASSERT_EQ(vecNight.size(), vecFactory.size());
    const std::vector<std::pair<u32, int>> vecDefaults = {{KEY_DN_MODE, 0},    {KEY_MAX_SHUTTER, 18},
                                                          {KEY_MIN_SHUTTER, 20}, {KEY_METER_AREA, 1},
                                                          {KEY_IR_MODE, 2},    {KEY_IR_MANUAL_STRG_NEAR, 40}};
    for (size_t i = 0; i < vecNight.size(); ++i) {
        int nExpected = static_cast<int>(vecFactory[i].value);
        for (const std::pair<u32, int>& stDefault : vecDefaults)
            if (stDefault.first == vecFactory[i].key) nExpected = stDefault.second;
        EXPECT_EQ(vecNight[i].key, vecFactory[i].key) << i;
        EXPECT_EQ(static_cast<int>(vecNight[i].value), nExpected) << "key " << vecFactory[i].key;
    }
    for (int i : {0, 2, 3})
        EXPECT_TRUE(sameRecords(readScheme(schemePath(1, i)), vecFactory.data(), vecFactory.size())) << i;
}

TEST_F(StartupTest, PlateRecognitionDeviceWithAnInfraredMarkerKeepsTheFactorySet) {
    installDevice("ir-bullet");
    setDeviceType(8);
    makeController(1);
    EXPECT_TRUE(controller().init(moduleConfig(0, "(max_scheme=4)(isInfrared=1)(lensId=3)")));

    EXPECT_FALSE(access().lprScheme());
    const std::vector<KeyVal> vecFactory = factorySet(0);
    EXPECT_TRUE(sameRecords(readScheme(schemePath(1, 1)), vecFactory.data(), vecFactory.size()));
}

TEST_F(StartupTest, ShortSchemeFileLeavesFactoryValuesBeyondItsEnd) {
    installDevice("ir-bullet");
    primeFiles();
    std::vector<KeyVal> vecStored = readScheme(schemePath(1, 2));
    vecStored.resize(8);
    writeScheme(schemePath(1, 2), vecStored);

    makeController(1);
    EXPECT_TRUE(controller(1).init(moduleConfig()));

    const std::vector<KeyVal> vecFactory = factorySet(1);
    EXPECT_TRUE(sameRecords(vecFactory, access(1).scheme(2), access(1).keyValSum()));
}

TEST_F(StartupTest, SecondInitShutsDownFirstAndStartsOneThread) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    ASSERT_TRUE(objController.setParamScheme(2));

    EXPECT_TRUE(objController.init(moduleConfig()));

    EXPECT_EQ(errorLog().find("m_pSensorThread->start()"), std::string::npos);
    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_TRUE(objController.getSensorStatus());
}

TEST_F(StartupTest, RepeatedShutDownReleasesNothingTwice) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));

    objController.uinit();
    objController.uinit();

    EXPECT_EQ(access().userKeyVal(), nullptr);
    EXPECT_EQ(access().keyCmdMap(), nullptr);
    EXPECT_EQ(access().keyValSum(), 0u);
    EXPECT_EQ(access().curScheme(), -1);
    EXPECT_EQ(access().sysConf().szUIStyle, nullptr);
}

TEST_F(StartupTest, ShutDownOfAControllerNeverStartedDoesNothing) {
    installDevice("ir-bullet");
    makeController(1);
    access().paramMode() = 0;
    access().curScheme() = 3;

    controller().uinit();

    EXPECT_EQ(access().paramMode(), 0);
    EXPECT_EQ(access().curScheme(), 3);
    EXPECT_FALSE(access().shutterIdle());
}

TEST_F(StartupTest, AbsentVideoModuleLeavesBothStyleFlagsSet) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    objController.setVideoStreamModule(nullptr);
    setshowBeawayFalg(false);

    EXPECT_TRUE(objController.init(moduleConfig()));

    EXPECT_TRUE(access().showWdr());
    EXPECT_TRUE(getshowBeawayFalg());
}

struct DetailCase {
    const char* name;
    const char* detail;
    bool hasLens;
    bool limitedIrPower;
};

class StartupDetailTest : public StartupTest, public ::testing::WithParamInterface<DetailCase> {};

TEST_P(StartupDetailTest, MarkersSetTheLensAndInfraredFlags) {
    installDevice("ir-bullet");
    makeController(1);
    testing::internal::CaptureStdout();
    controller().init(moduleConfig(0, GetParam().detail));
    const std::string strOut = testing::internal::GetCapturedStdout();

    EXPECT_EQ(access().hasLens(), GetParam().hasLens);
    EXPECT_EQ(access().limitedIrPower(), GetParam().limitedIrPower);
    EXPECT_EQ(strOut.find("#### m_bisLimitedIrPower is true!\n") != std::string::npos, GetParam().limitedIrPower);
}

INSTANTIATE_TEST_SUITE_P(
    Details, StartupDetailTest,
    ::testing::Values(DetailCase{"LensZero", "(max_scheme=4)(lensId=0)", false, false},
                      DetailCase{"LensThree", "(max_scheme=4)(lensId=3)", true, false},
                      DetailCase{"LensWithoutClosingParenthesis", "(max_scheme=4)(lensId=3", false, false},
                      DetailCase{"NoLensField", "(max_scheme=4)(isInfrared=1)", false, false},
                      DetailCase{"LimitedInfrared", "(max_scheme=4)(isInfrared=17)(lensId=3)", true, true}),
    [](const ::testing::TestParamInfo<DetailCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

struct SceneCase {
    const char* name;
    const char* device;
    int encoderType;
    int height;
    bool shown;
};

class StartupSceneTest : public StartupTest, public ::testing::WithParamInterface<SceneCase> {};

TEST_P(StartupSceneTest, SmallEncodedStreamHidesTheSceneItemOnOneHardwareFamily) {
    installDevice(GetParam().device);
    m_objVideo.setStreams({AVStreamParam(1, 1080), AVStreamParam(GetParam().encoderType, GetParam().height)});
    setshowBeawayFalg(!GetParam().shown);
    makeController(1);

    controller().init(moduleConfig());

    EXPECT_EQ(getshowBeawayFalg(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Streams, StartupSceneTest,
                         ::testing::Values(SceneCase{"Height240", "ir-bullet", 1, 240, false},
                                           SceneCase{"Height255", "ir-bullet", 1, 255, false},
                                           SceneCase{"Height256", "ir-bullet", 1, 256, true},
                                           SceneCase{"OtherEncoder", "ir-bullet", 2, 240, true},
                                           SceneCase{"OtherHardwareModel", "dome", 1, 240, true}),
                         [](const ::testing::TestParamInfo<SceneCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

struct LimitedFramesCase {
    const char* name;
    int modeId;
    int limitWdr;
    bool showWdr;
};

class StartupWdrTest : public StartupTest, public ::testing::WithParamInterface<LimitedFramesCase> {};

TEST_P(StartupWdrTest, LimitedFramesModeWithLimitedWdrHidesWdr) {
    installDevice("ir-bullet");
    m_objVideo.setLimitedFrames(GetParam().modeId, GetParam().limitWdr);
    makeController(1);

    controller().init(moduleConfig());

    EXPECT_EQ(access().showWdr(), GetParam().showWdr);
}

INSTANTIATE_TEST_SUITE_P(LimitedFrames, StartupWdrTest,
                         ::testing::Values(LimitedFramesCase{"ModeZeroLimited", 0, 1, false},
                                           LimitedFramesCase{"ModeZeroUnlimited", 0, 0, true},
                                           LimitedFramesCase{"OtherMode", 1, 1, true}),
                         [](const ::testing::TestParamInfo<LimitedFramesCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });
