// What the user interface receives: the style text after the bounded wait
// for the video module, the UI file names, and the range text of a command.
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "../params/ControllerFixture.h"
#include "../params/ReadingDeviceFixture.h"

namespace {

class UiQueriesTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{34, 0}});
    }
    // Channel 0 lists these ranges, in this order.
    static void listRanges(const std::vector<ispsim::Range>& p_vecRanges) {
        ispsim::SensorProfile stProfile;
        stProfile.ranges = p_vecRanges;
        ispsim::setProfile(0, stProfile);
    }
    static size_t rangeRequests() {
        size_t nCount = 0;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_GET_PARAM_RNAGE) ++nCount;
        return nCount;
    }
    // Runs getSensorParamRange with outputs preset to 77 and p_strBefore.
    bool range(int p_nCmd, const std::string& p_strBefore = "") {
        m_nDefault = 77;
        m_strRange = p_strBefore;
        testing::internal::CaptureStdout();
        const bool bRet = m_pController->getSensorParamRange(p_nCmd, m_nDefault, m_strRange);
        m_strStdout = testing::internal::GetCapturedStdout();
        return bRet;
    }
    int m_nDefault = 0;
    std::string m_strRange;
    std::string m_strStdout;
};

TEST_F(UiQueriesTest, AnItemListBecomesNumbersWithOneBlankBetween) {
    listRanges({{49, 0, 2, 1, 4, {1, 2, 4}}});
    EXPECT_TRUE(range(49));
    EXPECT_EQ(2, m_nDefault);
    EXPECT_EQ("1 2 4", m_strRange);
    EXPECT_NE(std::string::npos, m_strStdout.find("cmd=49 DefaltParam=2 strParamRange=1 2 4\n"));
}

TEST_F(UiQueriesTest, TheRangeTextIsAppendedToWhatTheStringHeld) {
    listRanges({{49, 0, 2, 1, 4, {1, 2, 4}}});
    EXPECT_TRUE(range(49, "x9"));
    EXPECT_EQ("x91 2 4", m_strRange);
    EXPECT_NE(std::string::npos, m_strStdout.find("strParamRange=x91 2 4\n"));
}

TEST_F(UiQueriesTest, OneItemHasNoBlank) {
    listRanges({{82, 0, 717, 717, 717, {717}}});
    EXPECT_TRUE(range(82));
    EXPECT_EQ("717", m_strRange);
}

TEST_F(UiQueriesTest, ARangeThatIsNoItemListWritesNothing) {
    listRanges({{51, 1, 8, 1, 30, {}}});
    EXPECT_TRUE(range(51, "keep"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
}

class UnansweredRangeTest : public UiQueriesTest, public ::testing::WithParamInterface<int> {};

// 34 is listed by the ISP but is not a range command; 56 is one but unlisted.
TEST_P(UnansweredRangeTest, WritesNothing) {
    listRanges({{34, 0, 50, 0, 100, {0, 50, 100}}, {49, 0, 2, 1, 4, {1, 2, 4}}});
    EXPECT_FALSE(range(GetParam(), "keep"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
    EXPECT_EQ(0u, rangeRequests());
}

INSTANTIATE_TEST_SUITE_P(Commands, UnansweredRangeTest, ::testing::Values(34, 56, 0, -1));

TEST_F(UiQueriesTest, TheSevenRangeCommandsAreAnswered) {
    std::vector<ispsim::Range> vecRanges;
    for (int nCmd : {49, 50, 51, 55, 56, 82, 1537}) vecRanges.push_back({nCmd, 0, nCmd, nCmd, nCmd, {nCmd}});
    listRanges(vecRanges);
    for (int nCmd : {49, 50, 51, 55, 56, 82, 1537}) {
        EXPECT_TRUE(range(nCmd)) << nCmd;
        EXPECT_EQ(nCmd, m_nDefault);
        EXPECT_EQ(std::to_string(nCmd), m_strRange);
    }
}

TEST_F(UiQueriesTest, AFailedRangeReadWritesNothing) {
    listRanges({{49, 0, 2, 1, 4, {1, 2, 4}}});
    ispsim::failCommand(0, 49, -1);
    EXPECT_FALSE(range(49, "keep"));
    EXPECT_NE(std::string::npos, m_strStdout.find("IA_CMD_OPT_GET_PARAM_RNAGE"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
}

TEST_F(UiQueriesTest, AnUnreadCommandListWritesNothing) {
    listRanges({{49, 0, 2, 1, 4, {1, 2, 4}}});
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1);
    EXPECT_FALSE(range(49, "keep"));
    EXPECT_EQ("keep", m_strRange);
    EXPECT_EQ(0u, rangeRequests());
}

TEST_F(UiQueriesTest, TheZoomFocusLockGivesNoRange) {
    listRanges({{1537, 0, 3, 1, 9, {1, 3, 9}}});
    m_pAccess->zoomFocusParam().setLockZoomFocusEnable(true);
    EXPECT_FALSE(range(1537, "keep"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
    EXPECT_EQ(0u, rangeRequests());
    m_pAccess->zoomFocusParam().setLockZoomFocusEnable(false);
    EXPECT_TRUE(range(1537));
    EXPECT_EQ("1 3 9", m_strRange);
}

TEST_F(UiQueriesTest, TheRangeIsAskedOnTheControllersChannel) {
    m_pAccess->cameraId() = 2;
    ispsim::SensorProfile stProfile;
    stProfile.ranges.push_back({49, 0, 4, 4, 8, {4, 8}});
    ispsim::setProfile(1, stProfile);
    EXPECT_TRUE(range(49));
    EXPECT_EQ("4 8", m_strRange);
    for (const ispsim::Call& stCall : ispsim::calls()) EXPECT_EQ(1, stCall.channel);
}

class UiStyleTest : public UiQueriesTest {
protected:
    void SetUp() override {
        UiQueriesTest::SetUp();
        listRanges({{82, 0, 717, 410, 2816, {410, 717}}});
        m_pAccess->sysConf().szUIStyle = m_szStyle;
    }
    void TearDown() override {
        m_pAccess->sysConf().szUIStyle = nullptr;
        UiQueriesTest::TearDown();
    }
    char m_szStyle[128] = "<style><param id=\"82\" value=\"5\"><item index=\"410\"/><item index=\"512\"/></param></style>";
};

TEST_F(UiStyleTest, WithoutAVideoModuleThereIsNoWait) {
    m_pController->setVideoStreamModule(nullptr);
    const std::string strStyle = m_pController->getUIStyleFile();
    EXPECT_NE(std::string::npos, strStyle.find("value=\"717\""));
    EXPECT_EQ(std::string::npos, strStyle.find("512"));
    EXPECT_EQ(0u, hostsim::waitCount());
}

TEST_F(UiStyleTest, AnIdleVideoModuleIsAskedOnce) {
    m_pController->getUIStyleFile();
    EXPECT_EQ(1, m_objVideo.busyQuestions());
    EXPECT_EQ(0u, hostsim::waitCount());
}

TEST_F(UiStyleTest, ABusyVideoModuleDelaysTheStyleByAtMostThirtyPauses) {
    m_objVideo.setBusyAnswers(3);
    m_pController->getUIStyleFile();
    EXPECT_EQ(4, m_objVideo.busyQuestions());
    EXPECT_EQ(3u, hostsim::waitCount());

    m_objVideo.setBusyAnswers(-1);
    hostsim::resetWaitCount();
    const std::string strStyle = m_pController->getUIStyleFile();
    EXPECT_EQ(4 + 30, m_objVideo.busyQuestions());
    EXPECT_EQ(30u, hostsim::waitCount());
    EXPECT_NE(std::string::npos, strStyle.find("value=\"717\""));
}

// A video module that, while it is asked, checks from another thread that the
// controller's lock is free.
class LockProbeVideoModule : public SimulatedVideoModule {
public:
    explicit LockProbeVideoModule(ISensorController& p_objController) : m_objController(p_objController) {}
    int isVideoBusy() const override {
        m_vecProbes.push_back(std::async(std::launch::async, [this] { m_objController.getUICommonFile(0); }));
        m_bLockFree = m_vecProbes.back().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        return 0;
    }
    mutable bool m_bLockFree = false;

private:
    ISensorController& m_objController;
    // Kept past the question: a probe blocked on the lock ends only after the
    // style request has released it.
    mutable std::vector<std::future<void>> m_vecProbes;
};

TEST_F(UiStyleTest, TheWaitDoesNotHoldTheLock) {
    LockProbeVideoModule objVideo(*m_pController);
    m_pController->setVideoStreamModule(&objVideo);
    m_pController->getUIStyleFile();
    m_pController->setVideoStreamModule(&m_objVideo);
    EXPECT_TRUE(objVideo.m_bLockFree);
}

TEST_F(UiQueriesTest, AnEmptyUiFileTableGivesEmptyNames) {
    EXPECT_EQ("", m_pController->getUICommonFile(1));
    EXPECT_EQ("", m_pController->getUILanguageFile(1));
}

TEST_F(UiQueriesTest, UiFileNamesByIdOrElseTheFirstRecord) {
    char szLang1[] = "lang_en.js", szCommon1[] = "common1.js", szCommon2[] = "common2.js";
    UIFileInfo arrFiles[] = {{1, szLang1, szCommon1}, {2, nullptr, szCommon2}};
    m_pAccess->sysConf().pUIFiles = arrFiles;
    m_pAccess->sysConf().nUIFileSum = 2;
    EXPECT_EQ("common2.js", m_pController->getUICommonFile(2));
    EXPECT_EQ("", m_pController->getUILanguageFile(2));
    EXPECT_EQ("common1.js", m_pController->getUICommonFile(9));
    EXPECT_EQ("lang_en.js", m_pController->getUILanguageFile(9));
    m_pAccess->sysConf().pUIFiles = nullptr;
    m_pAccess->sysConf().nUIFileSum = 0;
}

class StartedUiTest : public StartedDeviceFixture {};

// On the bullet the ISP's default for the iris position reaches the style.
TEST_F(StartedUiTest, TheStyleCarriesTheIspDefaults) {
    start("ir-bullet");
    const std::string strStyle = m_pController->getUIStyleFile();
    EXPECT_NE(std::string::npos, strStyle.find("id=\"82\" value=\"717\""));
    EXPECT_EQ("", m_pController->getUICommonFile(0));
    int nDefault = 0;
    std::string strRange;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(m_pController->getSensorParamRange(KEY_IRIS_POSITION, nDefault, strRange));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(717, nDefault);
    EXPECT_EQ("410 512 717 1024 1434 2048 2816", strRange);
}

}  // namespace
