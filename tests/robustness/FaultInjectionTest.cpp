// Fault injection around start-up: every ISP command the start-up sends
// failing in turn, the video module absent, refusing or always busy, each
// file missing, unreadable, unwritable or short, the style documents missing
// or malformed, the machine information missing. Start-up completes with its
// reports, the controller answers the calls that follow (working or failing
// cleanly) and shuts down; the sanitizer builds check that nothing leaks and
// no memory is misused on the way.
#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>

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
        testing::internal::CaptureStdout();
        const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
        EXPECT_TRUE(pCamera->started);
        const bool bApplied = exerciseAfterStart(pCamera->controller());
        pCamera->controller().uinit();
        testing::internal::GetCapturedStdout();
        return bApplied;
    }
};

TEST_F(FaultInjectionTest, EveryIspCommandOfTheStartFailingInTurn) {
    ASSERT_TRUE(startAndStop());
    std::set<int> setCommands;
    for (const ispsim::Call& stCall : ispsim::calls()) setCommands.insert(stCall.cmd);
    ASSERT_GT(setCommands.size(), 20u);
    for (int nCmd : setCommands) {
        SCOPED_TRACE(nCmd);
        ispsim::clearFaults();
        ispsim::failCommand(-1, nCmd, -1);
        // Only a failing brightness command keeps brightness from changing.
        EXPECT_EQ(startAndExercise(), nCmd != KEY_BRIGHTNESS);
        if (HasFailure()) return;
    }
}

TEST_F(FaultInjectionTest, IspFailingFromEveryCallOfTheStartOn) {
    ispsim::clearCalls();
    ASSERT_TRUE(startAndStop());
    const long nCalls = static_cast<long>(ispsim::calls().size());
    // Every tenth call and the first few: each run is a whole start.
    for (long n = 0; n < nCalls; n += n < 4 ? 1 : 10) {
        SCOPED_TRACE(n);
        ispsim::clearFaults();
        ispsim::failAfterCalls(n, -1);
        startAndExercise();
        if (HasFailure()) return;
    }
}

TEST_F(FaultInjectionTest, AbsentVideoModule) {
    testing::internal::CaptureStdout();
    ISensorController& objController = makeController(1);
    objController.setVideoStreamModule(nullptr);
    EXPECT_TRUE(objController.init(moduleConfig()));
    EXPECT_TRUE(exerciseAfterStart(objController));
    EXPECT_EQ(objController.setParameter(KEY_MIRROR, 1, true), SNS_SUCCESS);
    testing::internal::GetCapturedStdout();
}

TEST_F(FaultInjectionTest, VideoModuleRefusingEveryNotificationAndAlwaysBusy) {
    m_objVideo.setNotifyResult(-1);
    m_objVideo.setBusyAnswers(-1);
    testing::internal::CaptureStdout();
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));
    EXPECT_TRUE(exerciseAfterStart(objController));
    objController.setParameter(KEY_MIRROR, 1, true);
    objController.setZoomValue(0);
    testing::internal::GetCapturedStdout();
}

// One broken file or document per case, set up on the installed device after
// a first start has stored every scheme file (scheme 1 with brightness 77).
class BrokenFileTest;
struct BrokenFile {
    const char* szName;
    std::function<void(BrokenFileTest&)> fnBreak;
    // The schemes load: the factory set is the device's, scheme 1 what it stored.
    bool bSchemesLoad;
    // What else must hold after the start, beyond completing and answering.
    std::function<void(BrokenFileTest&, ISensorControllerTestAccess&)> fnCheck;
};

void PrintTo(const BrokenFile& p_stCase, std::ostream* p_pStream) { *p_pStream << p_stCase.szName; }

class BrokenFileTest : public FaultInjectionTest, public testing::WithParamInterface<BrokenFile> {
public:
    using FaultInjectionTest::configDir;
    using FaultInjectionTest::hostPath;
    using FaultInjectionTest::readFile;
    using FaultInjectionTest::removeFile;
    using FaultInjectionTest::writeFile;

    static std::string scheme(ISensorControllerTestAccess& a, u32 p_nScheme) {
        return image(a.scheme(p_nScheme), a.keyValSum());
    }

    std::string m_strFactory;  // the factory set's image
    std::string m_strStored1;  // scheme 1's stored image
};

TEST_P(BrokenFileTest, StartCompletesAndLaterCallsWorkOrFailCleanly) {
    primeFiles();
    m_strStored1 = readFile(schemePath(1));
    testing::internal::CaptureStdout();
    {
        const std::unique_ptr<simdevice::RunningCamera> pReference = camera("").start();
        ASSERT_TRUE(pReference->started);
        ISensorControllerTestAccess objAccess(pReference->controller());
        m_strFactory = scheme(objAccess, 4);
    }
    GetParam().fnBreak(*this);
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));
    // A broken style gives no (or another) factory set, but a working controller.
    EXPECT_NE(access().userKeyVal(), nullptr);
    EXPECT_NE(access().keyCmdMap(), nullptr);
    EXPECT_EQ(access().keyCmdSum(), 165u);
    if (GetParam().bSchemesLoad) {
        EXPECT_EQ(image(access().fctKeyVal(), access().keyValSum()), m_strFactory);
        EXPECT_EQ(access().schemeValue(1, KEY_BRIGHTNESS), 77);
    }
    if (GetParam().fnCheck) GetParam().fnCheck(*this, access());
    exerciseAfterStart(objController);
    objController.uinit();
    faultfs::disarm();
    testing::internal::GetCapturedStdout();
}

namespace {

const std::string kScheme1 = RobustnessFixture::schemePath(1);
const std::string kScheme2 = RobustnessFixture::schemePath(2);
const std::string kVersion = std::string(RobustnessFixture::kConfigDir) + "/snsversion.cfg";
const std::string kMachineInfo = camerapath::MACHINE_INFO_FILE;
const std::string kBaseStyle = camerapath::STYLE_FILE;
const std::string kDiversity = camerapath::STYLE_DIVERSITY_FILE;

void writeAs(const std::string& p_strPath, const std::string& p_strContent, BrokenFileTest& t) {
    t.writeFile(p_strPath, p_strContent);
}
std::function<void(BrokenFileTest&)> removing(const std::string& p_strPath) {
    return [p_strPath](BrokenFileTest& t) { t.removeFile(p_strPath); };
}
std::function<void(BrokenFileTest&)> writing(const std::string& p_strPath, const std::string& p_strContent) {
    return [p_strPath, p_strContent](BrokenFileTest& t) { writeAs(p_strPath, p_strContent, t); };
}
void expectNoFactorySet(BrokenFileTest&, ISensorControllerTestAccess& a) { EXPECT_EQ(a.keyValSum(), 0u); }
// An unreadable version counts as another one: the schemes start over.
void expectSchemesStartOver(BrokenFileTest&, ISensorControllerTestAccess& a) {
    EXPECT_EQ(a.schemeValue(1, KEY_BRIGHTNESS), a.schemeValue(4, KEY_BRIGHTNESS));
}
std::string repeated(const std::string& p_strPart, int p_nTimes) {
    std::string strText;
    for (int i = 0; i < p_nTimes; ++i) strText += p_strPart;
    return strText;
}
std::string manyParameters() {
    std::string strStyle = "<s><t key=\"a\">";
    for (int i = 0; i < 400; ++i) strStyle += "<p id=\"" + std::to_string(3000 + i) + "\" value=\"1\"/>";
    return strStyle + "</t></s>";
}
std::string garbage() {
    std::string strGarbage(4000, '\0');
    for (size_t i = 0; i < strGarbage.size(); ++i) strGarbage[i] = static_cast<char>(i * 131 + 7);
    return strGarbage;
}

const BrokenFile kBrokenFiles[] = {
    {"MachineInfoMissing", removing(kMachineInfo), false, nullptr},
    {"MachineInfoGarbage", writing(kMachineInfo, std::string("\x01\xff[machine\ndeviceType=\nhard", 26)), false,
     nullptr},
    {"BaseStyleMissing", removing(kBaseStyle), false, expectNoFactorySet},
    {"BaseStyleEmpty", writing(kBaseStyle, ""), false, expectNoFactorySet},
    {"BaseStyleCutInTheMiddle",
     [](BrokenFileTest& t) {
         writeAs(kBaseStyle, t.readFile(kBaseStyle).substr(0, t.readFile(kBaseStyle).size() / 2), t);
     },
     false, nullptr},
    {"BaseStyleNotXml", writing(kBaseStyle, "<<<>>> &&& \xef\xbb"), false, nullptr},
    {"BaseStyleNestedTooDeep", writing(kBaseStyle, repeated("<a id=\"34\" value=\"1\">", 5000)), false,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectNoFactorySet(t, a);
         EXPECT_LT(t.readFile("/tmp/merge_style_ch1.xml").size(), 1024u);
     }},
    {"BaseStyleWithMoreParametersThanFit", writing(kBaseStyle, manyParameters()), false,
     [](BrokenFileTest&, ISensorControllerTestAccess& a) { EXPECT_EQ(a.keyValSum(), 170u); }},
    {"DiversityMissing", removing(kDiversity), false, nullptr},
    {"DiversityNotXml", writing(kDiversity, "<x a='1'"), false, nullptr},
    {"DiversityOperationsWithoutTabs",
     writing(kDiversity,
             "<c iris=\"P-Iris\"><Modify tab_key=\"iris\"/><AddAfter tab_key=\"image\"/><Delete/>"
             "<Unknown tab_key=\"wb\"/></c>"),
     false, nullptr},
    {"SchemeFileMissing", removing(kScheme2), true,
     [](BrokenFileTest& t, ISensorControllerTestAccess&) { EXPECT_EQ(t.readFile(kScheme2), t.m_strFactory); }},
    {"SchemeFileShort", [](BrokenFileTest& t) { writeAs(kScheme1, t.m_strStored1.substr(0, 100), t); }, false,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         // Twelve whole records from the file, the rest from the factory set.
         EXPECT_EQ(t.scheme(a, 1).substr(0, 96), t.m_strStored1.substr(0, 96));
         EXPECT_EQ(t.scheme(a, 1).substr(96), t.m_strFactory.substr(96));
     }},
    {"SchemeFileEmpty", writing(RobustnessFixture::schemePath(3), ""), true,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) { EXPECT_EQ(t.scheme(a, 3), t.m_strFactory); }},
    {"SchemeFileGarbage", writing(RobustnessFixture::schemePath(0), garbage()), true,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) { EXPECT_EQ(t.scheme(a, 0), t.m_strFactory); }},
    {"SchemeFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.configDir());
         faultfs::failOpens("sensor1_1.cfg", EACCES);
     },
     false,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         EXPECT_EQ(t.scheme(a, 1), t.m_strFactory);
         // The stored file is not replaced by the factory set it could not read.
         EXPECT_EQ(t.readFile(kScheme1), t.m_strStored1);
     }},
    {"SchemeFilesUnwritable",
     [](BrokenFileTest& t) {
         t.removeFile(kScheme2);
         faultfs::arm(t.configDir());
         for (int i = 0; i < 4; ++i) faultfs::failOpens(RobustnessFixture::schemeName(i) + ".tmp", EROFS);
         faultfs::failOpens("snsversion.cfg.tmp", EROFS);
     },
     true,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         EXPECT_EQ(t.scheme(a, 2), t.m_strFactory);
         EXPECT_EQ(t.readFile(kScheme2), "");
     }},
    {"VersionFileShort", writing(kVersion, std::string("\x08", 1)), false,
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectSchemesStartOver(t, a);
         EXPECT_EQ(t.readFile(kVersion), std::string("\x08\x00\x00\x00", 4));
     }},
    {"VersionFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.configDir());
         faultfs::failOpens("snsversion.cfg", EIO);
     },
     false, expectSchemesStartOver},
    {"ConfigurationDirectoryMissing",
     [](BrokenFileTest& t) {
         faultfs::writeDirectory(t.configDir(), faultfs::Image());
         rmdir(t.configDir().c_str());
     },
     false, [](BrokenFileTest& t, ISensorControllerTestAccess& a) { EXPECT_EQ(t.scheme(a, 0), t.m_strFactory); }},
    // About 12 KB free in /tmp: the merged style cannot be written, the style
    // in memory still gives the whole factory set.
    {"TmpNearlyFull",
     [](BrokenFileTest&) {
         signal(SIGXFSZ, SIG_IGN);
         const rlimit stLimit = {12 * 1024, RLIM_INFINITY};
         setrlimit(RLIMIT_FSIZE, &stLimit);
     },
     true,
     [](BrokenFileTest& t, ISensorControllerTestAccess&) {
         const rlimit stNone = {RLIM_INFINITY, RLIM_INFINITY};
         setrlimit(RLIMIT_FSIZE, &stNone);
         EXPECT_EQ(t.readFile("/tmp/merge_style_ch1.xml"), "");
     }},
    {"MergedStyleNameLinkedElsewhere",
     [](BrokenFileTest& t) {
         t.writeFile("/tmp/elsewhere", "kept");
         t.removeFile("/tmp/merge_style_ch1.xml");
         ASSERT_EQ(0, symlink(t.hostPath("/tmp/elsewhere").c_str(), t.hostPath("/tmp/merge_style_ch1.xml").c_str()));
     },
     true, [](BrokenFileTest& t, ISensorControllerTestAccess&) { EXPECT_EQ(t.readFile("/tmp/elsewhere"), "kept"); }},
    {"DebugControlFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.hostPath("/tmp"));
         faultfs::failOpens("Debug.sign", EACCES);
     },
     true, nullptr},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Files, BrokenFileTest, testing::ValuesIn(kBrokenFiles),
                         [](const testing::TestParamInfo<BrokenFile>& p_stInfo) {
                             return std::string(p_stInfo.param.szName);
                         });
