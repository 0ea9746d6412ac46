// Fault injection around start-up: every ISP command the start-up sends
// failing in turn, the video module absent, refusing or always busy, each
// file missing, unreadable, unwritable or short, the style documents missing
// or malformed, the machine information missing. Start-up completes with its
// reports, the controller answers the calls that follow (working or failing
// cleanly) and shuts down; the sanitizer builds check that nothing leaks and
// no memory is misused on the way.
#include <gtest/gtest.h>

#include <errno.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"

namespace {

const char* const kStyleDir = "/hd1/moduleConfig/sensorConfig/style";
const char* const kDiversityDir = "/hd1/moduleConfig/sensorConfig/styleDiversity";

}  // namespace

class FaultInjectionTest : public RobustnessFixture {
protected:
    void SetUp() override {
        RobustnessFixture::SetUp();
        hostsim::setWaitScale(0.001);
    }

    // The calls a host makes after start-up; each either works or fails
    // without harm. Returns whether the brightness change was applied.
    bool exerciseAfterStart(ISensorController& p_objController) {
        EXPECT_TRUE(p_objController.getSensorStatus());
        const bool bApplied = p_objController.setParameter(KEY_BRIGHTNESS, 61, true) == SNS_SUCCESS;
        int nValue = 0;
        p_objController.getParameter(KEY_BRIGHTNESS, nValue);
        std::string strAll;
        p_objController.getAllParameters(strAll);
        std::string strSome;
        p_objController.getParameters("(34,2337,144)", strSome);
        p_objController.setParameters(std::string("(34,40)(2337,41)"), true);
        p_objController.getUIStyleFile();
        int nDefault = 0;
        std::string strRange;
        p_objController.getSensorParamRange(49, nDefault, strRange);
        int nScheme = 0;
        p_objController.getParamScheme(nScheme);
        p_objController.setParamScheme(1);
        std::string strCheck = "(5,2,0)";
        p_objController.SensorCheck(strCheck);
        p_objController.flush();
        p_objController.resetToLastParameters();
        p_objController.restoreAeMode();
        int nShutter = 0;
        p_objController.getShutterValue(nShutter);
        p_objController.shutterUp();
        p_objController.zoomIn();
        p_objController.focusFar();
        p_objController.sensorThread();
        return bApplied;
    }
};

TEST_F(FaultInjectionTest, EveryIspCommandOfTheStartFailingInTurn) {
    {
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(objController.init(moduleConfig()));
        objController.uinit();
        testing::internal::GetCapturedStdout();
    }
    std::set<int> setCommands;
    for (const ispsim::Call& stCall : ispsim::calls()) setCommands.insert(stCall.cmd);
    ASSERT_GT(setCommands.size(), 20u);

    for (int nCmd : setCommands) {
        ispsim::clearFaults();
        ispsim::clearCalls();
        ispsim::failCommand(-1, nCmd, -1);
        testing::internal::CaptureStdout();
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        EXPECT_TRUE(objController.init(moduleConfig())) << nCmd;
        const bool bApplied = exerciseAfterStart(objController);
        objController.uinit();
        testing::internal::GetCapturedStdout();
        // Only a failing brightness command keeps brightness from changing.
        EXPECT_EQ(bApplied, nCmd != KEY_BRIGHTNESS) << nCmd;
        if (HasFailure()) return;
    }
}

TEST_F(FaultInjectionTest, IspFailingFromEveryCallOfTheStartOn) {
    ispsim::clearCalls();
    {
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(objController.init(moduleConfig()));
        objController.uinit();
        testing::internal::GetCapturedStdout();
    }
    const long nCalls = static_cast<long>(ispsim::calls().size());
    // Every tenth call and the first few: each run is a whole start.
    for (long n = 0; n < nCalls; n += n < 4 ? 1 : 10) {
        ispsim::clearFaults();
        ispsim::failAfterCalls(n, -1);
        testing::internal::CaptureStdout();
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        EXPECT_TRUE(objController.init(moduleConfig())) << n;
        exerciseAfterStart(objController);
        objController.uinit();
        testing::internal::GetCapturedStdout();
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
    objController.uinit();
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
    int nPosition = 0;
    objController.setZoomValue(nPosition);
    objController.uinit();
    testing::internal::GetCapturedStdout();
}

// One broken file or document per case, set up on the installed device after
// a first start has stored every scheme file (scheme 1 with brightness 77).
class BrokenFileTest;
struct BrokenFile {
    const char* szName;
    std::function<void(BrokenFileTest&)> fnBreak;
    // What must hold after the start, beyond completing and answering.
    std::function<void(BrokenFileTest&, ISensorControllerTestAccess&)> fnCheck;
};

void PrintTo(const BrokenFile& p_stCase, std::ostream* p_pStream) {
    *p_pStream << p_stCase.szName;
}

class BrokenFileTest : public FaultInjectionTest, public testing::WithParamInterface<BrokenFile> {
public:
    void remove(const std::string& p_strCameraPath) { removeFile(p_strCameraPath); }
    void write(const std::string& p_strCameraPath, const std::string& p_strContent) {
        writeFile(p_strCameraPath, p_strContent);
    }
    std::string read(const std::string& p_strCameraPath) { return readFile(p_strCameraPath); }
    std::string host(const std::string& p_strCameraPath) { return hostPath(p_strCameraPath); }
    std::string config() { return configDir(); }

    std::string m_strFactory;  // the factory set's image
    std::string m_strStored1;  // scheme 1's stored image
};

TEST_P(BrokenFileTest, StartCompletesAndLaterCallsWorkOrFailCleanly) {
    primeFiles();
    m_strStored1 = readFile(schemePath(1));
    {
        ISensorController objReference;
        objReference.setChannelID(1);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(objReference.init(moduleConfig()));
        ISensorControllerTestAccess objAccess(objReference);
        m_strFactory = image(objAccess.scheme(4), objAccess.keyValSum());
        objReference.uinit();
        testing::internal::GetCapturedStdout();
    }

    GetParam().fnBreak(*this);
    testing::internal::CaptureStdout();
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.init(moduleConfig()));
    if (GetParam().fnCheck) GetParam().fnCheck(*this, access(0));
    exerciseAfterStart(objController);
    objController.uinit();
    faultfs::disarm();
    testing::internal::GetCapturedStdout();
}

namespace {

const std::string kScheme0 = std::string(RobustnessFixture::kConfigDir) + "/sensor1_0.cfg";
const std::string kScheme1 = std::string(RobustnessFixture::kConfigDir) + "/sensor1_1.cfg";
const std::string kScheme2 = std::string(RobustnessFixture::kConfigDir) + "/sensor1_2.cfg";
const std::string kScheme3 = std::string(RobustnessFixture::kConfigDir) + "/sensor1_3.cfg";
const std::string kVersion = std::string(RobustnessFixture::kConfigDir) + "/snsversion.cfg";
const std::string kBaseStyle = std::string(kStyleDir) + "/Style.xml";
const std::string kDiversity = std::string(kDiversityDir) + "/StyleDiversity.xml";

int valueIn(ISensorControllerTestAccess& p_objAccess, u32 p_nScheme, u32 p_nKey) {
    return p_objAccess.schemeValue(p_nScheme, p_nKey);
}

// A broken style gives no (or another) factory set, but a working controller.
void expectStarted(BrokenFileTest&, ISensorControllerTestAccess& p_objAccess) {
    EXPECT_NE(p_objAccess.userKeyVal(), nullptr);
    EXPECT_NE(p_objAccess.keyCmdMap(), nullptr);
    EXPECT_EQ(p_objAccess.keyCmdSum(), 165u);
}

// Scheme files broken: the factory set is the device's, scheme 1 keeps what
// it stored.
void expectSchemesLoaded(BrokenFileTest& p_objTest, ISensorControllerTestAccess& p_objAccess) {
    expectStarted(p_objTest, p_objAccess);
    EXPECT_EQ(RobustnessFixture::image(p_objAccess.fctKeyVal(), p_objAccess.keyValSum()), p_objTest.m_strFactory);
    EXPECT_EQ(valueIn(p_objAccess, 1, KEY_BRIGHTNESS), 77);
}

const BrokenFile kBrokenFiles[] = {
    {"MachineInfoMissing", [](BrokenFileTest& t) { t.remove("/mnt/mtd/code/factory_setting/machineinfo.ini"); },
     expectStarted},
    {"MachineInfoGarbage",
     [](BrokenFileTest& t) {
         t.write("/mnt/mtd/code/factory_setting/machineinfo.ini", std::string("\x01\xff[machine\ndeviceType=\nhard", 26));
     },
     expectStarted},
    {"BaseStyleMissing", [](BrokenFileTest& t) { t.remove(kBaseStyle); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(a.keyValSum(), 0u);
     }},
    {"BaseStyleEmpty", [](BrokenFileTest& t) { t.write(kBaseStyle, ""); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(a.keyValSum(), 0u);
     }},
    {"BaseStyleCutInTheMiddle",
     [](BrokenFileTest& t) {
         const std::string strStyle = t.read(kBaseStyle);
         t.write(kBaseStyle, strStyle.substr(0, strStyle.size() / 2));
     },
     expectStarted},
    {"BaseStyleNotXml", [](BrokenFileTest& t) { t.write(kBaseStyle, "<<<>>> &&& \xef\xbb"); }, expectStarted},
    {"BaseStyleNestedTooDeep",
     [](BrokenFileTest& t) {
         std::string strDeep;
         for (int i = 0; i < 5000; ++i) strDeep += "<a id=\"34\" value=\"1\">";
         t.write(kBaseStyle, strDeep);
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(a.keyValSum(), 0u);
         EXPECT_LT(t.read("/tmp/merge_style_ch1.xml").size(), 1024u);
     }},
    {"BaseStyleWithMoreParametersThanFit",
     [](BrokenFileTest& t) {
         std::string strStyle = "<s><t key=\"a\">";
         for (int i = 0; i < 400; ++i) strStyle += "<p id=\"" + std::to_string(3000 + i) + "\" value=\"1\"/>";
         t.write(kBaseStyle, strStyle + "</t></s>");
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(a.keyValSum(), 170u);
     }},
    {"DiversityMissing", [](BrokenFileTest& t) { t.remove(kDiversity); }, expectStarted},
    {"DiversityNotXml", [](BrokenFileTest& t) { t.write(kDiversity, "<x a='1'"); }, expectStarted},
    {"DiversityOperationsWithoutTabs",
     [](BrokenFileTest& t) {
         t.write(kDiversity,
                 "<c iris=\"P-Iris\"><Modify tab_key=\"iris\"/><AddAfter tab_key=\"image\"/><Delete/>"
                 "<Unknown tab_key=\"wb\"/></c>");
     },
     expectStarted},
    {"SchemeFileMissing", [](BrokenFileTest& t) { t.remove(kScheme2); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectSchemesLoaded(t, a);
         EXPECT_EQ(t.read(kScheme2), t.m_strFactory);
     }},
    {"SchemeFileShort", [](BrokenFileTest& t) { t.write(kScheme1, t.m_strStored1.substr(0, 100)); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         // Twelve whole records from the file, the rest from the factory set.
         const std::string strLoaded = RobustnessFixture::image(a.scheme(1), a.keyValSum());
         EXPECT_EQ(strLoaded.substr(0, 96), t.m_strStored1.substr(0, 96));
         EXPECT_EQ(strLoaded.substr(96), t.m_strFactory.substr(96));
     }},
    {"SchemeFileEmpty", [](BrokenFileTest& t) { t.write(kScheme3, ""); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectSchemesLoaded(t, a);
         EXPECT_EQ(RobustnessFixture::image(a.scheme(3), a.keyValSum()), t.m_strFactory);
     }},
    {"SchemeFileGarbage",
     [](BrokenFileTest& t) {
         std::string strGarbage(4000, '\0');
         for (size_t i = 0; i < strGarbage.size(); ++i) strGarbage[i] = static_cast<char>(i * 131 + 7);
         t.write(kScheme0, strGarbage);
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectSchemesLoaded(t, a);
         EXPECT_EQ(RobustnessFixture::image(a.scheme(0), a.keyValSum()), t.read(kScheme0).substr(0, t.m_strFactory.size()));
     }},
    {"SchemeFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.config());
         faultfs::failOpens("sensor1_1.cfg", EACCES);
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         EXPECT_EQ(RobustnessFixture::image(a.scheme(1), a.keyValSum()), t.m_strFactory);
         // The stored file is not replaced by the factory set it could not read.
         EXPECT_EQ(t.read(kScheme1), t.m_strStored1);
     }},
    {"SchemeFilesUnwritable",
     [](BrokenFileTest& t) {
         t.remove(kScheme2);
         faultfs::arm(t.config());
         for (int i = 0; i < 4; ++i) faultfs::failOpens("sensor1_" + std::to_string(i) + ".cfg.tmp", EROFS);
         faultfs::failOpens("snsversion.cfg.tmp", EROFS);
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectSchemesLoaded(t, a);
         EXPECT_EQ(RobustnessFixture::image(a.scheme(2), a.keyValSum()), t.m_strFactory);
         EXPECT_EQ(t.read(kScheme2), "");
     }},
    {"VersionFileShort", [](BrokenFileTest& t) { t.write(kVersion, std::string("\x08", 1)); },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         // An unreadable version counts as another one: the schemes start over.
         expectStarted(t, a);
         EXPECT_EQ(valueIn(a, 1, KEY_BRIGHTNESS), valueIn(a, 4, KEY_BRIGHTNESS));
         EXPECT_EQ(t.read(kVersion), std::string("\x08\x00\x00\x00", 4));
     }},
    {"VersionFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.config());
         faultfs::failOpens("snsversion.cfg", EIO);
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(valueIn(a, 1, KEY_BRIGHTNESS), valueIn(a, 4, KEY_BRIGHTNESS));
     }},
    {"ConfigurationDirectoryMissing",
     [](BrokenFileTest& t) {
         for (const auto& stEntry : faultfs::readDirectory(t.config())) t.remove(std::string(RobustnessFixture::kConfigDir) + "/" + stEntry.first);
         rmdir(t.config().c_str());
     },
     [](BrokenFileTest& t, ISensorControllerTestAccess& a) {
         expectStarted(t, a);
         EXPECT_EQ(RobustnessFixture::image(a.scheme(0), a.keyValSum()), t.m_strFactory);
     }},
    {"DebugControlFileUnreadable",
     [](BrokenFileTest& t) {
         faultfs::arm(t.host("/tmp"));
         faultfs::failOpens("Debug.sign", EACCES);
     },
     expectSchemesLoaded},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Files, BrokenFileTest, testing::ValuesIn(kBrokenFiles),
                         [](const testing::TestParamInfo<BrokenFile>& p_stInfo) { return std::string(p_stInfo.param.szName); });
