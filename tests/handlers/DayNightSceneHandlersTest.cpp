// The day/night records built from companion keys, and the mirror/scene swap.
#include "../params/ControllerFixture.h"

namespace {

using Words = std::vector<int>;
using Notes = std::vector<std::pair<int, int>>;

// The words of the record sent with a command, in field order.
Words recordSent(int p_nCmd, size_t p_nWords) {
    Words vecWords;
    const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(p_nCmd);
    if (vecCalls.empty()) return vecWords;
    for (size_t i = 0; i < p_nWords; ++i) vecWords.push_back(vecCalls.back().wordIn(i));
    return vecWords;
}

class DayNightTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{145, 30}, {146, 60}, {154, 2}, {149, 18}, {150, 30}, {151, 6}, {152, 0}});
    }
};

TEST_F(DayNightTest, ThresholdRecordTakesTheCompanionsOfTheCurrentScheme) {
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_NTD_THR, 70, true));
    EXPECT_EQ((Words{30, 70, 2}), recordSent(146, 3));
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_DN_SENSITIVITY, 5, true));
    EXPECT_EQ((Words{30, 70, 5}), recordSent(154, 3));
    EXPECT_EQ(70, stored(146));
}

TEST_F(DayNightTest, TimeRecordTakesTheCompanionsOfTheCurrentScheme) {
    store(149, 99, 0);
    m_pAccess->curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((Words{18, 30, 6, 15}), recordSent(152, 4));
}

TEST_F(DayNightTest, ACompanionTheSchemeLacksIsSentAsZero) {
    m_pAccess->setUpSchemes(4, {{145, 30}, {149, 18}});
    m_pAccess->curScheme() = 0;
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

struct MirrorCase {
    int scene;
    int mirror;
    int sent;
};

void PrintTo(const MirrorCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << "scene" << p_stCase.scene << "_mirror" << p_stCase.mirror;
}

class MirrorSwapTest : public SceneTest, public ::testing::WithParamInterface<MirrorCase> {};

TEST_P(MirrorSwapTest, SceneModeSwapsMirrorOneAndTwoButTheSchemeKeepsTheGivenValue) {
    store(2385, GetParam().scene);
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_MIRROR, GetParam().mirror, true));
    EXPECT_EQ(Words{GetParam().sent}, recordSent(2384, 1));
    EXPECT_EQ((Notes{{2384, GetParam().sent}}), notified());
    EXPECT_EQ(GetParam().mirror, stored(2384));
}

INSTANTIATE_TEST_SUITE_P(Values, MirrorSwapTest,
                         ::testing::Values(MirrorCase{0, 1, 1}, MirrorCase{0, 2, 2}, MirrorCase{1, 1, 2},
                                           MirrorCase{1, 2, 1}, MirrorCase{1, 3, 3}, MirrorCase{5, 2, 1},
                                           MirrorCase{0, 3, 3}));

TEST_F(SceneTest, SceneChangeResendsTheStoredMirrorFirst) {
    store(2384, 2);
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 1, true));
    EXPECT_EQ((Notes{{2384, 1}, {2385, 1}}), notified());
    EXPECT_EQ((std::vector<int>{2384, 2385}), sentCommands());
    EXPECT_EQ((Words{1}), recordSent(2384, 1));
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 0, true));
    EXPECT_EQ((Words{2}), recordSent(2384, 1));
    EXPECT_EQ(2, stored(2384));
}

TEST_F(SceneTest, WithoutTheSceneItemTheSceneIsForcedOff) {
    m_pController->setShowBeawayFalg(false);
    bool bShown = true;
    EXPECT_TRUE(m_pController->getShowBeawayFalg(bShown));
    EXPECT_FALSE(bShown);
    EXPECT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BEAWAY, 1, true));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(0, stored(2385));
}

}  // namespace
