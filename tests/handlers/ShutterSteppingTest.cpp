// Stepping KEY_MAX_SHUTTER through the ISP's allowed values.
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

class ShutterSteppingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_MAX_SHUTTER, 40}});
        allow({10, 20, 40, 80});
        current(40);
    }
    static void allow(const std::vector<int>& p_vecItems) {
        ispsim::SensorProfile stProfile;
        stProfile.ranges = {{KEY_MAX_SHUTTER, 0, 10, 0, 0, p_vecItems}};
        ispsim::setProfile(0, stProfile);
    }
    // The ISP's and the cache's current value.
    void current(int p_nValue) {
        ispsim::setValue(0, KEY_MAX_SHUTTER, p_nValue);
        store(KEY_MAX_SHUTTER, p_nValue);
        ispsim::clearCalls();
    }
};

TEST_F(ShutterSteppingTest, StepsStopAtBothEndsOfTheListAndIndexesOutsideItAreRefused) {
    int nIndex = -1;
    EXPECT_TRUE(m_pController->getShutterValue(nIndex));
    EXPECT_EQ(2, nIndex);
    EXPECT_TRUE(m_pController->shutterUp());
    EXPECT_TRUE(m_pController->shutterUp());
    EXPECT_EQ(std::vector<int>{80}, sent(KEY_MAX_SHUTTER));
    EXPECT_EQ(80, stored(KEY_MAX_SHUTTER));
    current(20);
    EXPECT_TRUE(m_pController->shutterDown());
    EXPECT_TRUE(m_pController->shutterDown());
    EXPECT_EQ(std::vector<int>{10}, sent(KEY_MAX_SHUTTER));
    EXPECT_EQ(10, stored(KEY_MAX_SHUTTER));

    ispsim::clearCalls();
    EXPECT_FALSE(m_pController->setShutterValue(4));
    EXPECT_FALSE(m_pController->setShutterValue(-1));
    EXPECT_TRUE(sent(KEY_MAX_SHUTTER).empty());
    EXPECT_TRUE(m_pController->setShutterValue(3));
    EXPECT_EQ(std::vector<int>{80}, sent(KEY_MAX_SHUTTER));
}

// The ISP's value, not the cache's, locates the position; the list holds
// the first thirty values.
TEST_F(ShutterSteppingTest, AValueOutsideTheListStepsNowhere) {
    ispsim::setValue(0, KEY_MAX_SHUTTER, 30);
    int nIndex = 7;
    EXPECT_FALSE(m_pController->getShutterValue(nIndex));
    EXPECT_EQ(7, nIndex);
    EXPECT_FALSE(m_pController->shutterUp());
    EXPECT_FALSE(m_pController->shutterDown());
    EXPECT_TRUE(sent(KEY_MAX_SHUTTER).empty());

    std::vector<int> vecItems;
    for (int i = 1; i <= 35; ++i) vecItems.push_back(i * 10);
    allow(vecItems);
    current(300);
    EXPECT_TRUE(m_pController->shutterUp());
    EXPECT_FALSE(m_pController->setShutterValue(30));
    EXPECT_TRUE(sent(KEY_MAX_SHUTTER).empty());
}

}  // namespace
