// Fault injection around start-up: every ISP command failing, the video module
// absent, refusing or always busy, each file or document missing or broken.
// Start-up completes with its reports, the controller answers the calls that
// follow (working or failing cleanly) and shuts down; the sanitizer builds
// check that nothing leaks and no memory is misused on the way.
#include <errno.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"
#include "platform/CameraPaths.h"

class FaultInjectionTest : public RobustnessFixture {
protected:
    // The calls a host makes after start-up; each either works or fails
    // without harm. Returns whether the brightness change was applied.
    static bool exerciseAfterStart(ISensorController& c) {
        EXPECT_TRUE(c.getSensorStatus());
        const bool bApplied = c.setParameter(KEY_BRIGHTNESS, 61, true) == SNS_SUCCESS;
        int nValue = 0;
        std::string strText;
        c.getParameter(KEY_BRIGHTNESS, nValue);
        c.getAllParameters(strText);
        c.getParameters("(34,2337,144)", strText);
        c.setParameters(std::string("(34,40)(2337,41)"), true);
        c.getUIStyleFile();
        c.getSensorParamRange(49, nValue, strText);
        c.getParamScheme(nValue);
        c.setParamScheme(1);
        strText = "(5,2,0)";
        c.SensorCheck(strText);
        c.flush();
        c.resetToLastParameters();
        c.restoreAeMode();
        c.getShutterValue(nValue);
        c.shutterUp();
        c.zoomIn();
        c.focusFar();
        c.sensorThread();
        return bApplied;
    }
    // A start and the calls after it with the ISP's faults as set.
    bool startAndExercise() {
        const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
        EXPECT_TRUE(pCamera->started);
        return exerciseAfterStart(pCamera->controller());
    }
};

TEST_F(FaultInjectionTest, EveryIspCommandOfTheStartFailingInTurn) {
    ASSERT_TRUE(startAndStop());
    std::set<int> setCommands;
    for (const ispsim::Call& stCall : ispsim::calls()) setCommands.insert(stCall.cmd);
    ASSERT_GT(setCommands.size(), 20u);
    for (auto it = setCommands.begin(); it != setCommands.end() && !HasFailure(); ++it) {
        SCOPED_TRACE(*it);
        ispsim::clearFaults();
        ispsim::failCommand(-1, *it, -1);
        // Only a failing brightness command keeps brightness from changing.
        EXPECT_EQ(startAndExercise(), *it != KEY_BRIGHTNESS);
    }
}

TEST_F(FaultInjectionTest, IspFailingFromEveryCallOfTheStartOn) {
    ispsim::clearCalls();
    ASSERT_TRUE(startAndStop());
    const long nCalls = static_cast<long>(ispsim::calls().size());
    // Every tenth call and the first few: each run is a whole start.
    for (long n = 0; n < nCalls && !HasFailure(); n += n < 4 ? 1 : 10) {
        SCOPED_TRACE(n);
        ispsim::clearFaults();
        ispsim::failAfterCalls(n, -1);
        startAndExercise();
    }
}

TEST_F(FaultInjectionTest, AbsentVideoModule) {
    ISensorController& objController = makeController(1);
    objController.setVideoStreamModule(nullptr);
    EXPECT_TRUE(objController.init(moduleConfig()));
    EXPECT_TRUE(exerciseAfterStart(objController));
    EXPECT_EQ(objController.setParameter(KEY_MIRROR, 1, true), SNS_SUCCESS);
}

TEST_F(FaultInjectionTest, VideoModuleRefusingEveryNotificationAndAlwaysBusy) {
    m_objVideo.setNotifyResult(-1);
    m_objVideo.setBusyAnswers(-1);
    ASSERT_TRUE(start(camera("")));
    EXPECT_TRUE(exerciseAfterStart(controller()));
    controller().setParameter(KEY_MIRROR, 1, true);
    controller().setZoomValue(0);
}

// One broken file or document per case, set up on the installed device after
// a first start has stored every scheme file (scheme 1 with brightness 77).
class BrokenFileTest;
typedef std::function<void(BrokenFileTest&)> Step;
// What the start loads beyond completing and answering: some factory set,
// none, the device's, with each scheme as stored, or with every scheme the
// factory set's.
enum Loads { kSomeFactorySet, kNoFactorySet, kDeviceSet, kStored, kStartOver };
struct BrokenFile {
    const char* szName;
    Step fnBreak;
    Loads eLoads;
    Step fnCheck;  // what else must hold after the start
};

void PrintTo(const BrokenFile& p_stCase, std::ostream* p_pStream) { *p_pStream << p_stCase.szName; }

class BrokenFileTest : public FaultInjectionTest, public testing::WithParamInterface<BrokenFile> {
public:
    using FaultInjectionTest::access, FaultInjectionTest::configDir, FaultInjectionTest::hostPath,
        FaultInjectionTest::readFile, FaultInjectionTest::removeFile, FaultInjectionTest::writeFile;

    std::string scheme(u32 p_nScheme) { return image(access().scheme(p_nScheme), access().keyValSum()); }

    std::string m_strFactory;  // the factory set's image
    std::string m_strStored1;  // scheme 1's stored image
};

TEST_P(BrokenFileTest, StartCompletesAndLaterCallsWorkOrFailCleanly) {
    const BrokenFile& c = GetParam();
    primeFiles();
    // The first start created every file but scheme 1's from the factory set.
    m_strFactory = readFile(simdevice::schemeFile(1, 0));
    m_strStored1 = readFile(simdevice::schemeFile(1, 1));
    c.fnBreak(*this);
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));
    const rlimit stNoLimit = {RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &stNoLimit);  // a file size limit holds for the start only
    // A broken style gives no (or another) factory set, but a working controller.
    EXPECT_NE(access().userKeyVal(), nullptr);
    EXPECT_EQ(access().keyCmdSum(), 165u);
    EXPECT_EQ(access().keyValSum() == 0, c.eLoads == kNoFactorySet);
    if (c.eLoads >= kDeviceSet) {
        EXPECT_EQ(image(access().fctKeyVal(), access().keyValSum()), m_strFactory);
    }
    for (u32 n = 0; c.eLoads >= kStored && n < 4; ++n)
        EXPECT_EQ(scheme(n), n == 1 && c.eLoads == kStored ? m_strStored1 : m_strFactory) << n;
    if (c.fnCheck) c.fnCheck(*this);
    exerciseAfterStart(objController);
}

namespace {

const std::string kScheme1 = simdevice::schemeFile(1, 1);
const std::string kScheme2 = simdevice::schemeFile(1, 2);
const std::string kVersion = std::string(RobustnessFixture::kConfigDir) + "/snsversion.cfg";
const std::string kMachineInfo = camerapath::MACHINE_INFO_FILE;
const std::string kBaseStyle = camerapath::STYLE_FILE;
const std::string kDiversity = camerapath::STYLE_DIVERSITY_FILE;
const std::string kMerged = StartedControllers::mergedStylePath(1);

Step removing(const std::string& p_strPath) {
    return [p_strPath](BrokenFileTest& t) { t.removeFile(p_strPath); };
}
Step writing(const std::string& p_strPath, const std::string& p_strText) {
    return [p_strPath, p_strText](BrokenFileTest& t) { t.writeFile(p_strPath, p_strText); };
}
// Opens of the file fail with the error.
Step unopenable(const std::string& p_strDir, const std::string& p_strName, int p_nErrno) {
    return [=](BrokenFileTest& t) {
        faultfs::arm(t.hostPath(p_strDir));
        faultfs::failOpens(p_strName, p_nErrno);
    };
}
Step holding(const std::string& p_strPath, const std::string& p_strText) {
    return [p_strPath, p_strText](BrokenFileTest& t) { EXPECT_EQ(t.readFile(p_strPath), p_strText); };
}
const BrokenFile kBrokenFiles[] = {
    {"MachineInfoMissing", removing(kMachineInfo), kSomeFactorySet, nullptr},
    {"MachineInfoGarbage", writing(kMachineInfo, std::string("\x01\xff[machine\ndeviceType=\nhard", 26)),
     kSomeFactorySet, nullptr},
    {"BaseStyleMissing", removing(kBaseStyle), kNoFactorySet, nullptr},
    {"BaseStyleEmpty", writing(kBaseStyle, ""), kNoFactorySet, nullptr},
    {"BaseStyleCutInTheMiddle",
     [](BrokenFileTest& t) {
         const std::string strStyle = t.readFile(kBaseStyle);
         t.writeFile(kBaseStyle, strStyle.substr(0, strStyle.size() / 2));
     },
     kSomeFactorySet, nullptr},
    {"BaseStyleNotXml", writing(kBaseStyle, "<<<>>> &&& \xef\xbb"), kNoFactorySet, nullptr},
    {"BaseStyleNestedTooDeep", writing(kBaseStyle, joined(5000, [](int) { return "<a id=\"34\" value=\"1\">"; })),
     kNoFactorySet, [](BrokenFileTest& t) { EXPECT_LT(t.readFile(kMerged).size(), 1024u); }},
    {"BaseStyleWithMoreParametersThanFit",
     writing(kBaseStyle,
             "<s><t key=\"a\">" +
                 joined(400, [](int i) { return "<p id=\"" + std::to_string(3000 + i) + "\" value=\"1\"/>"; }) +
                 "</t></s>"),
     kSomeFactorySet, [](BrokenFileTest& t) { EXPECT_EQ(t.access().keyValSum(), 170u); }},
    {"DiversityMissing", removing(kDiversity), kSomeFactorySet, nullptr},
    {"DiversityNotXml", writing(kDiversity, "<x a='1'"), kSomeFactorySet, nullptr},
    {"DiversityOperationsWithoutTabs",
     writing(kDiversity,
             "<c iris=\"P-Iris\"><Modify tab_key=\"iris\"/><AddAfter tab_key=\"image\"/><Delete/>"
             "<Unknown tab_key=\"wb\"/></c>"),
     kSomeFactorySet, nullptr},
    {"SchemeFileMissing", removing(kScheme2), kStored,
     [](BrokenFileTest& t) { EXPECT_EQ(t.readFile(kScheme2), t.m_strFactory); }},
    // Twelve whole records from the file, the rest from the factory set.
    {"SchemeFileShort", [](BrokenFileTest& t) { t.writeFile(kScheme1, t.m_strStored1.substr(0, 100)); }, kDeviceSet,
     [](BrokenFileTest& t) { EXPECT_EQ(t.scheme(1), t.m_strStored1.substr(0, 96) + t.m_strFactory.substr(96)); }},
    {"SchemeFileEmpty", writing(simdevice::schemeFile(1, 3), ""), kStored, nullptr},
    {"SchemeFileGarbage",
     writing(simdevice::schemeFile(1, 0),
             joined(4000, [](int i) { return std::string(1, static_cast<char>(i * 131 + 7)); })),
     kStored, nullptr},
    // The stored file is not replaced by the factory set it could not read.
    {"SchemeFileUnreadable", unopenable(RobustnessFixture::kConfigDir, "sensor1_1.cfg", EACCES), kStartOver,
     [](BrokenFileTest& t) { EXPECT_EQ(t.readFile(kScheme1), t.m_strStored1); }},
    {"SchemeFilesUnwritable",
     [](BrokenFileTest& t) {
         t.removeFile(kScheme2);
         faultfs::arm(t.configDir());
         for (int i = 0; i < 4; ++i) faultfs::failOpens(RobustnessFixture::schemeName(i) + ".tmp", EROFS);
         faultfs::failOpens("snsversion.cfg.tmp", EROFS);
     },
     kStored, holding(kScheme2, "")},
    // An unreadable version counts as another one: the schemes start over.
    {"VersionFileShort", writing(kVersion, std::string("\x08", 1)), kStartOver,
     holding(kVersion, std::string("\x08\x00\x00\x00", 4))},
    {"VersionFileUnreadable", unopenable(RobustnessFixture::kConfigDir, "snsversion.cfg", EIO), kStartOver, nullptr},
    {"ConfigurationDirectoryMissing",
     [](BrokenFileTest& t) {
         faultfs::writeDirectory(t.configDir(), faultfs::Image());
         rmdir(t.configDir().c_str());
     },
     kStartOver, nullptr},
    // About 12 KB free in /tmp: the merged style cannot be written, the style
    // in memory still gives the whole factory set.
    {"TmpNearlyFull",
     [](BrokenFileTest&) {
         signal(SIGXFSZ, SIG_IGN);
         const rlimit stLimit = {12 * 1024, RLIM_INFINITY};
         setrlimit(RLIMIT_FSIZE, &stLimit);
     },
     kStored, holding(kMerged, "")},
    {"MergedStyleNameLinkedElsewhere",
     [](BrokenFileTest& t) {
         t.writeFile("/tmp/elsewhere", "kept");
         t.removeFile(kMerged);
         ASSERT_EQ(0, symlink(t.hostPath("/tmp/elsewhere").c_str(), t.hostPath(kMerged).c_str()));
     },
     kStored, holding("/tmp/elsewhere", "kept")},
    {"DebugControlFileUnreadable", unopenable("/tmp", "Debug.sign", EACCES), kStored, nullptr},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Files, BrokenFileTest, testing::ValuesIn(kBrokenFiles),
                         [](const testing::TestParamInfo<BrokenFile>& p_stInfo) {
                             return std::string(p_stInfo.param.szName);
                         });
