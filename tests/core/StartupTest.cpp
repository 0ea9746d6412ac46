// Start-up and shut-down on the bundled device roots: scheme files created,
// kept or cleaned up, the first scheme, the detail markers and the style flags.
#include <string>
#include <utility>
#include <vector>

#include "../scheme/SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "platform/CameraPaths.h"

namespace {

class StartupTest : public SchemeControllerFixture {
protected:
    using SchemeControllerFixture::start;
    // A start on the files as they are, of the channel's module.
    bool start(int p_nChannel = 1, size_t p_nModule = 0, const std::string& p_strDetail = "") {
        return start(camera("").channel(p_nChannel, p_nModule).detail(p_strDetail));
    }
    std::vector<KeyVal> factorySet(size_t p_nIndex) {
        ISensorControllerTestAccess& objAccess = access(p_nIndex);
        return std::vector<KeyVal>(objAccess.fctKeyVal(), objAccess.fctKeyVal() + objAccess.keyValSum());
    }
    bool holds(const std::string& p_strPath, const std::vector<KeyVal>& p_vecRecords) const {
        return readFile(p_strPath) == image(p_vecRecords);
    }
};

const char* const kRemoveVisible = "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg";

// The first start and a later version change both write every scheme file
// from the factory set, the ones past the fourth included.
TEST_F(StartupTest, FirstStartAndVersionChangeWriteEverySchemeFileFromTheFactorySet) {
    setDebugControl("4\n0\n");
    const std::string strDetail = "(max_scheme=6)(isInfrared=1)(lensId=3)";
    ASSERT_TRUE(start(camera().detail(strDetail)));
    EXPECT_NE(errorLog().find("check the sensor version,   local(0) --> libsensordll.so(8)"), std::string::npos);
    EXPECT_EQ(hostsim::lastSystemCommand(), kRemoveVisible);
    std::vector<KeyVal> vecFactory = factorySet(0);
    ASSERT_GT(vecFactory.size(), 5u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(holds(schemePath(1, i), vecFactory)) << i;
    EXPECT_FALSE(fileExists(schemePath(1, 6)));
    EXPECT_EQ(readFile(versionPath()), std::string("\x08\x00\x00\x00", 4));
    EXPECT_TRUE(controller().getSensorStatus());
    // The first switch has no scheme to compare with: every value is sent.
    for (u32 nKey : {KEY_BRIGHTNESS, KEY_SATURATION})
        EXPECT_EQ(sentValues(static_cast<int>(nKey)), std::vector<int>{valueOf(vecFactory, nKey)}) << nKey;
    controller().uinit();

    for (int i = 0; i < 6; ++i)
        writeFile(schemePath(1, i), withValue(readFile(schemePath(1, i)), KEY_BRIGHTNESS, 90 + i));
    writeVersion(7);
    EXPECT_TRUE(start(1, 0, strDetail));
    EXPECT_NE(errorLog().find("local(7) --> libsensordll.so(8)"), std::string::npos);
    vecFactory = factorySet(1);
    for (u32 i = 0; i < 6; ++i) {
        EXPECT_TRUE(holds(schemePath(1, static_cast<int>(i)), vecFactory)) << i;
        EXPECT_EQ(access(1).schemeValue(i, KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS)) << i;
    }
    EXPECT_EQ(readFile(versionPath()), std::string("\x08\x00\x00\x00", 4));
}

// A restart with every file present writes only the version file. A file
// shorter than the factory set leaves factory values past its end; one
// written under an older style of the same version (saturation not yet in
// it, a key since dropped, another order) is read by key, and the next flush
// writes the current key order.
TEST_F(StartupTest, RestartReadsTheFilesByKeyAndWritesOnlyTheVersionFile) {
    setDebugControl("4\n0\n");
    camera().storedScheme(1, {{KEY_BRIGHTNESS, 77}}).install();
    std::vector<KeyVal> vecShort = readScheme(schemePath(1, 2));
    vecShort.resize(8);
    writeScheme(schemePath(1, 2), vecShort);
    std::vector<KeyVal> vecOld;
    for (const KeyVal& stRecord : readScheme(schemePath(1, 1)))
        if (stRecord.key != KEY_SATURATION) vecOld.insert(vecOld.begin(), stRecord);
    vecOld.insert(vecOld.begin() + 3, KeyVal{4711, 5});
    writeScheme(schemePath(1, 1), vecOld);
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));
    age(versionPath());
    const size_t nLogBefore = errorLog().size();
    const unsigned long nCommandsBefore = hostsim::systemCommandCount();
    ASSERT_TRUE(start());
    EXPECT_EQ(errorLog().find("check the sensor version", nLogBefore), std::string::npos);
    EXPECT_EQ(hostsim::systemCommandCount(), nCommandsBefore);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    EXPECT_NE(mtime(versionPath()), 1000);
    const std::vector<KeyVal> vecFactory = factorySet(0);
    EXPECT_EQ(image(vecFactory), image(access().scheme(2), access().keyValSum()));
    std::vector<KeyVal> vecExpected = vecFactory;
    for (const KeyVal& stRecord : vecOld) setValue(vecExpected, stRecord.key, stRecord.value);
    EXPECT_EQ(image(vecExpected), image(access().scheme(1), access().keyValSum()));
    EXPECT_EQ(access().schemeValue(1, KEY_BRIGHTNESS), 77);
    EXPECT_EQ(access().schemeValue(1, KEY_SATURATION), valueOf(vecFactory, KEY_SATURATION));
    ASSERT_TRUE(controller().setParamScheme(1));
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(controller().setParameter(KEY_SATURATION, 61, true), SNS_SUCCESS);
    EXPECT_EQ(controller().flush(), SNS_SUCCESS);
    setValue(vecExpected, KEY_SATURATION, 61);
    EXPECT_TRUE(holds(schemePath(1, 1), vecExpected));
}

// Flush reads the schedule window by position: a style without the scheme
// keys in front is reported once at start-up, and the bundled one is not.
TEST_F(StartupTest, AStyleWithoutTheSchemeKeysInFrontIsReported) {
    installDevice("ir-bullet");
    const char* const szStyle = camerapath::STYLE_FILE;
    const std::string strReport = "beginsWithSchemeKeys(pFactory, m_nKeyValSum)";
    ASSERT_TRUE(start());
    EXPECT_EQ(errorLog().find(strReport), std::string::npos);
    std::string strStyle = readFile(szStyle);
    strStyle.insert(strStyle.find("<param id=\"8001\""), "<param id=\"34\" value=\"1\"/>");
    writeFile(szStyle, strStyle);
    ASSERT_TRUE(start());
    EXPECT_EQ(errorLog().find(strReport), errorLog().rfind(strReport));
    EXPECT_NE(errorLog().find(strReport), std::string::npos);
}

TEST_F(StartupTest, VersionChangeOnTheThermalChannelRemovesOnlyThermalFiles) {
    ASSERT_TRUE(start(camera("thermal-dual").channel(2, 1)));
    controller().uinit();
    ASSERT_TRUE(access(0).thermalChannel());
    ASSERT_TRUE(fileExists(thermalPath(3)));
    const std::string strMarked = withValue(readFile(thermalPath(1)), KEY_BRIGHTNESS, 99);
    for (int i = 0; i < 4; ++i) writeFile(thermalPath(i), strMarked);
    writeFile(schemePath(1, 0), strMarked);
    writeVersion(7);
    EXPECT_TRUE(start(2, 1));
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor-thermal*.cfg");
    const int nFactory = valueOf(factorySet(1), KEY_BRIGHTNESS);
    ASSERT_NE(nFactory, 99);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(valueOf(readFile(thermalPath(i)), KEY_BRIGHTNESS), nFactory) << i;
    EXPECT_EQ(valueOf(readFile(schemePath(1, 0)), KEY_BRIGHTNESS), 99);
}

// Day/night mode in scheme 0 lets the first pass choose the scheme.
TEST_F(StartupTest, TheModeOfSchemeZeroChoosesTheFirstScheme) {
    ASSERT_TRUE(start(camera()
                          .storedScheme(0, {{KEY_SCHEME_MODE, 2}, {KEY_BRIGHTNESS, 10}})
                          .storedScheme(1, {{KEY_BRIGHTNESS, 20}})
                          .dayNight(1)));
    int nScheme = -7;
    controller().getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 1);
    // No switch to scheme 0 came first.
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{20});
    // The running thread (its waits are instant here) follows the day.
    ispsim::setDayNightState(0, 0);
    for (long nPoll = 0; nPoll < 100000000L && nScheme != 0; ++nPoll) controller().getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 0);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), (std::vector<int>{20, 10}));
    controller().setParamMode(0);
    EXPECT_TRUE(access().dnScheme());
    EXPECT_FALSE(access().timingScheme());
    controller().uinit();

    // Timed mode starts in the scheme whose window holds the time.
    ASSERT_TRUE(start(camera()
                          .storedScheme(0, {{KEY_SCHEME_MODE, 1}, {KEY_SCHEME_END_HOUR, 0}})
                          .storedScheme(1, {{KEY_SCHEME_END_HOUR, 0}})
                          .storedScheme(2, {{KEY_SCHEME_START_HOUR, 12}, {KEY_SCHEME_END_HOUR, 13}})
                          .clock(12, 30)));
    controller(1).setParamMode(0);
    EXPECT_TRUE(access(1).timingScheme());
    EXPECT_EQ(access(1).curScheme(), 2);
}

TEST_F(StartupTest, SecondInitRestartsAndRepeatedShutDownReleasesNothingTwice) {
    installDevice("ir-bullet");
    makeController(1);
    access().curScheme() = 3;
    controller().uinit();
    controller().uinit();
    EXPECT_EQ(access().curScheme(), 3);
    EXPECT_FALSE(controller().getSensorStatus());
    ASSERT_TRUE(controller().init(moduleConfig()));
    const u32 nKeyValSum = access().keyValSum();
    ASSERT_TRUE(controller().setParamScheme(2));
    EXPECT_TRUE(controller().init(moduleConfig()));
    EXPECT_EQ(errorLog().find("m_pSensorThread->start()"), std::string::npos);
    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_EQ(access().keyValSum(), nKeyValSum);
    EXPECT_TRUE(controller().getSensorStatus());
    EXPECT_EQ(controller().setParameter(KEY_BRIGHTNESS, 63, true), SNS_SUCCESS);
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 63);
    controller().uinit();
    controller().uinit();
    EXPECT_FALSE(controller().getSensorStatus());
    EXPECT_EQ(access().userKeyVal(), nullptr);
    EXPECT_EQ(access().keyCmdMap(), nullptr);
    EXPECT_EQ(access().keyValSum(), 0u);
    EXPECT_EQ(access().curScheme(), -1);
    EXPECT_EQ(access().sysConf().szUIStyle, nullptr);
    // A host whose stop of a stopped thread answers 0 sees no report when a
    // start follows a shut-down, as in every factory reset.
    hostsim::setIdleStopResult(0);
    EXPECT_TRUE(controller().init(moduleConfig()));
    EXPECT_EQ(controller().setParameter(KEY_BRIGHTNESS, 64, true), SNS_SUCCESS);
    EXPECT_TRUE(controller().resetParameters());
    EXPECT_EQ(errorLog().find("m_pSensorThread->stop()"), std::string::npos);
}

const KeyVal kNightDefaults[] = {{KEY_DN_MODE, 0},    {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
                                 {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},      {KEY_IR_MANUAL_STRG_NEAR, 40}};

// The detail markers set the lens and infrared flags. A plate-recognition
// device without the infrared marker (0 or 1) gets night defaults in scheme
// 1; otherwise every scheme is the factory set.
TEST_F(StartupTest, DetailMarkersSetTheLensInfraredAndPlateRecognitionFlags) {
    installDevice("ir-bullet");
    setDeviceType(8);
    const struct {
        const char* szDetail;
        bool bHasLens, bLimitedIrPower, bLpr;
    } aCases[] = {{"(max_scheme=4)(lensId=0)", false, false, true},
                  {"(max_scheme=4)(lensId=3)", true, false, true},
                  {"(max_scheme=4)(lensId=3", false, false, true},
                  {"(max_scheme=4)(isInfrared=1)", false, false, false},
                  {"(max_scheme=4)(isInfrared=0)(lensId=3)", true, false, false},
                  {"(max_scheme=4)(isInfrared=17)(lensId=3)", true, true, true}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szDetail);
        const size_t nIndex = m_vecControllers.size();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(start(1, 0, c.szDetail));
        const std::string strOut = testing::internal::GetCapturedStdout();
        EXPECT_EQ(access(nIndex).hasLens(), c.bHasLens);
        EXPECT_EQ(access(nIndex).limitedIrPower(), c.bLimitedIrPower);
        EXPECT_EQ(strOut.find("#### m_bisLimitedIrPower is true!\n") != std::string::npos, c.bLimitedIrPower);
        EXPECT_EQ(access(nIndex).lprScheme(), c.bLpr);
        std::vector<KeyVal> vecNight = factorySet(nIndex);
        if (c.bLpr)
            for (const KeyVal& stDefault : kNightDefaults) setValue(vecNight, stDefault.key, stDefault.value);
        EXPECT_TRUE(holds(schemePath(1, 1), vecNight));
        for (int i : {0, 2, 3}) EXPECT_TRUE(holds(schemePath(1, i), factorySet(nIndex))) << i;
        controller(nIndex).uinit();
        for (int i = 0; i < 4; ++i) removeFile(schemePath(1, i));
        removeFile(versionPath());
    }
}

// A small second stream hides the scene item on one hardware family, a
// limited-frames mode with limited WDR hides WDR; without a video module
// both stay shown.
TEST_F(StartupTest, TheVideoModuleSetsTheStyleFlags) {
    const struct {
        const char* name;
        const char* device;
        bool module;
        int encoderType, height, modeId, limitWdr;
        bool sceneShown, wdrShown;
    } aCases[] = {
        {"Height240", "ir-bullet", true, 1, 240, 1, 0, false, true},
        {"Height255", "ir-bullet", true, 1, 255, 1, 0, false, true},
        {"Height256", "ir-bullet", true, 1, 256, 1, 0, true, true},
        {"OtherEncoder", "ir-bullet", true, 2, 240, 1, 0, true, true},
        {"ModeZeroLimited", "ir-bullet", true, 1, 1080, 0, 1, true, false},
        {"ModeZeroUnlimited", "ir-bullet", true, 1, 1080, 0, 0, true, true},
        {"OtherModeLimited", "ir-bullet", true, 1, 1080, 1, 1, true, true},
        {"NoVideoModule", "ir-bullet", false, 1, 240, 0, 1, true, true},
        {"OtherHardwareModel", "dome", true, 1, 240, 1, 0, true, true},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.name);
        installDevice(c.device);
        m_objVideo.setStreams({AVStreamParam(1, 1080), AVStreamParam(c.encoderType, c.height)});
        m_objVideo.setLimitedFrames(c.modeId, c.limitWdr);
        setshowBeawayFalg(!c.sceneShown);
        const size_t nIndex = m_vecControllers.size();
        ISensorController& objController = makeController(1);
        if (!c.module) objController.setVideoStreamModule(nullptr);
        EXPECT_TRUE(objController.init(moduleConfig()));
        EXPECT_EQ(getshowBeawayFalg(), c.sceneShown);
        EXPECT_EQ(access(nIndex).showWdr(), c.wdrShown);
        objController.uinit();
    }
}

}  // namespace
