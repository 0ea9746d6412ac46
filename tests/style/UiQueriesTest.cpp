// What the user interface receives: the range text of a command, the style
// text after the bounded wait for the video module, and the UI file names.
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

class UiQueriesTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{34, 0}});
    }
    static void listRanges(const std::vector<ispsim::Range>& p_vecRanges) {
        ispsim::SensorProfile stProfile;
        stProfile.ranges = p_vecRanges;
        ispsim::setProfile(0, stProfile);
    }
    // getSensorParamRange with the outputs preset to 77 and p_strBefore.
    bool range(int p_nCmd, const std::string& p_strBefore) {
        m_nDefault = 77;
        m_strRange = p_strBefore;
        bool bRet = false;
        m_strStdout = printedBy([&] { bRet = controller().getSensorParamRange(p_nCmd, m_nDefault, m_strRange); });
        return bRet;
    }
    int m_nDefault = 0;
    std::string m_strRange;
    std::string m_strStdout;
};

struct RangeTextCase {
    std::vector<int> items;
    std::string before, expected;
};

TEST_F(UiQueriesTest, ItemsAreAppendedWithOneBlankBetween) {
    for (const RangeTextCase& stCase : {RangeTextCase{{1, 2, 4}, "", "1 2 4"}, RangeTextCase{{717}, "", "717"},
                                        RangeTextCase{{1, 2, 4}, "x9", "x91 2 4"}}) {
        listRanges({{49, 0, 2, 0, 0, stCase.items}});
        EXPECT_TRUE(range(49, stCase.before));
        EXPECT_EQ(2, m_nDefault);
        EXPECT_EQ(stCase.expected, m_strRange);
        EXPECT_NE(std::string::npos, m_strStdout.find("cmd=49 DefaltParam=2 strParamRange=" + stCase.expected + "\n"));
    }
}

// 51 is no item list; 34 is listed but no range command, 56 a range command
// but unlisted; the range of 49 cannot be read; 1537 is held back by the
// zoom/focus lock.
TEST_F(UiQueriesTest, ARangeNotGivenWritesNothing) {
    listRanges({{34, 0, 50, 0, 100, {0, 50}}, {49, 0, 2, 1, 4, {1, 2}}, {1537, 0, 3, 1, 9, {1, 3}}, {51, 1, 8, 1, 30, {}}});
    EXPECT_TRUE(range(51, "keep"));
    EXPECT_EQ(77, m_nDefault);
    EXPECT_EQ("keep", m_strRange);
    ispsim::failCommand(0, 49, -1);
    access().zoomFocusParam().setLockZoomFocusEnable(true);
    for (int nCmd : {34, 56, 49, 1537}) {
        EXPECT_FALSE(range(nCmd, "keep")) << nCmd;
        EXPECT_EQ(77, m_nDefault);
        EXPECT_EQ("keep", m_strRange);
    }
    access().zoomFocusParam().setLockZoomFocusEnable(false);
    EXPECT_TRUE(range(1537, ""));
    EXPECT_EQ("1 3", m_strRange);
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

// The style answer is fitted (82 takes the ISP's 717) however long the video
// module stays busy: at most thirty pauses, none without a module, and the
// controller's lock is not held while waiting.
TEST_F(UiQueriesTest, ABusyVideoModuleDelaysTheStyleByAtMostThirtyPausesWithoutTheLock) {
    listRanges({{82, 0, 717, 410, 2816, {410, 717}}});
    char szStyle[] = "<style><param id=\"82\" value=\"5\"><item index=\"410\"/></param></style>";
    access().sysConf().szUIStyle = szStyle;
    controller().setVideoStreamModule(nullptr);
    EXPECT_NE(std::string::npos, controller().getUIStyleFile().find("value=\"717\""));
    EXPECT_EQ(0u, hostsim::waitCount());
    controller().setVideoStreamModule(&m_objVideo);
    m_objVideo.setBusyAnswers(3);
    controller().getUIStyleFile();
    EXPECT_EQ(4, m_objVideo.busyQuestions());
    EXPECT_EQ(3u, hostsim::waitCount());
    m_objVideo.setBusyAnswers(-1);
    hostsim::resetWaitCount();
    EXPECT_NE(std::string::npos, controller().getUIStyleFile().find("value=\"717\""));
    EXPECT_EQ(4 + 30, m_objVideo.busyQuestions());
    EXPECT_EQ(30u, hostsim::waitCount());
    LockProbeVideoModule objProbe(controller());
    controller().setVideoStreamModule(&objProbe);
    controller().getUIStyleFile();
    controller().setVideoStreamModule(&m_objVideo);
    EXPECT_TRUE(objProbe.m_bLockFree);
    access().sysConf().szUIStyle = nullptr;
}

TEST_F(UiQueriesTest, UiFileNamesByIdElseTheFirstRecordElseEmpty) {
    EXPECT_EQ("", controller().getUICommonFile(1));
    EXPECT_EQ("", controller().getUILanguageFile(1));
    char szLanguage[] = "lang_en.js", szCommon1[] = "common1.js", szCommon2[] = "common2.js";
    UIFileInfo arrFiles[] = {{1, szLanguage, szCommon1}, {2, nullptr, szCommon2}};
    access().sysConf().pUIFiles = arrFiles;
    access().sysConf().nUIFileSum = 2;
    EXPECT_EQ("common2.js", controller().getUICommonFile(2));
    EXPECT_EQ("", controller().getUILanguageFile(2));
    EXPECT_EQ("lang_en.js", controller().getUILanguageFile(9));
    access().sysConf().pUIFiles = nullptr;
    access().sysConf().nUIFileSum = 0;
}

}  // namespace
