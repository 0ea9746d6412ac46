// The day/night records built from companion keys, and the mirror/scene swap.
#include "../params/ControllerFixture.h"

namespace {

using Words = std::vector<int>;
using Notes = std::vector<std::pair<int, int>>;

// The words of the last record sent with a command, in field order.
Words recordSent(int p_nCmd, size_t p_nWords) {
    Words vecWords;
    const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(p_nCmd);
    for (size_t i = 0; i < p_nWords && !vecCalls.empty(); ++i) vecWords.push_back(vecCalls.back().wordIn(i));
    return vecWords;
}

class DayNightTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{145, 30}, {146, 60}, {154, 2}, {149, 18}, {150, 30}, {151, 6}, {152, 0}});
    }
};

TEST_F(DayNightTest, RecordsTakeTheCompanionsOfTheCurrentScheme) {
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_NTD_THR, 70, true));
    EXPECT_EQ((Words{30, 70, 2}), recordSent(146, 3));
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_DN_SENSITIVITY, 5, true));
    EXPECT_EQ((Words{30, 70, 5}), recordSent(154, 3));
    EXPECT_EQ(70, stored(146));
    store(149, 99, 0);
    m_pAccess->curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((Words{18, 30, 6, 15}), recordSent(152, 4));
}

TEST_F(DayNightTest, ACompanionTheSchemeLacksIsSentAsZero) {
    layOut({{145, 30}, {149, 18}});
    int nValue = 40;
    m_pController->doDNThr(KEY_NTD_THR, 0, &nValue);
    m_pController->doDNTime(KEY_DTN_M, 0, &nValue);
    EXPECT_EQ((Words{30, 40, 0}), recordSent(146, 3));
    EXPECT_EQ((Words{18, 40, 0, 0}), recordSent(150, 4));
    EXPECT_EQ(40, nValue);
}

TEST_F(DayNightTest, ARefusedThresholdPassesOnlyWhileStoredValuesAreRestored) {
    ispsim::failCommand(-1, 145, -1);
    ispsim::failCommand(-1, 149, -1);
    int nValue = 20;
    EXPECT_EQ(-1, m_pController->doDNThr(KEY_DTN_THR, 0, &nValue));
    m_pAccess->stateFlags() = SENSOR_STATE_RETURNING;
    EXPECT_EQ(SNS_SUCCESS, m_pController->doDNThr(KEY_DTN_THR, 0, &nValue));
    EXPECT_EQ(-1, m_pController->doDNTime(KEY_DTN_H, 0, &nValue));
    m_pAccess->stateFlags() = 0;
}

class SceneTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{2384, 0}, {2385, 0}});
    }
    void TearDown() override {
        setshowBeawayFalg(true);
        ControllerFixture::TearDown();
    }
};

// Scene, mirror given, mirror sent: scene mode swaps mirror 1 and 2, but the
// scheme keeps the given value.
TEST_F(SceneTest, SceneModeSwapsMirrorOneAndTwo) {
    for (const Words& vecCase : std::vector<Words>{
             {0, 1, 1}, {0, 2, 2}, {1, 1, 2}, {1, 2, 1}, {1, 3, 3}, {5, 2, 1}, {0, 3, 3}}) {
        SCOPED_TRACE(::testing::PrintToString(vecCase));
        store(2385, vecCase[0]);
        ispsim::clearCalls();
        m_objVideo.clearNotifications();
        EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_MIRROR, vecCase[1], true));
        EXPECT_EQ(Words{vecCase[2]}, recordSent(2384, 1));
        EXPECT_EQ((Notes{{2384, vecCase[2]}}), notified());
        EXPECT_EQ(vecCase[1], stored(2384));
        store(2384, 0);
    }
}

TEST_F(SceneTest, SceneChangeResendsTheStoredMirrorFirst) {
    store(2384, 2);
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 1, true));
    EXPECT_EQ((Notes{{2384, 1}, {2385, 1}}), notified());
    ASSERT_EQ(2u, ispsim::calls().size());
    EXPECT_EQ(2384, ispsim::calls()[0].cmd);
    EXPECT_EQ(2385, ispsim::calls()[1].cmd);
    EXPECT_EQ((Words{1}), recordSent(2384, 1));
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 0, true));
    EXPECT_EQ((Words{2}), recordSent(2384, 1));
    EXPECT_EQ(2, stored(2384));
}

TEST_F(SceneTest, WithoutTheSceneItemTheSceneIsForcedOff) {
    m_pController->setShowBeawayFalg(false);
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 1, true));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(0, stored(2385));
}

}  // namespace
