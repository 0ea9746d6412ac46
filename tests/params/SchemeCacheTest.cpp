// Single-value reads and writes of the scheme arrays, and what a controller
// before init answers from them.
#include "ControllerFixture.h"

namespace {

class SchemeCacheTest : public ControllerFixture {
protected:
    // Key 34 twice: only the first record counts.
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{8000, 0}, {34, 50}, {2337, 128}, {34, 99}});
    }
};

TEST_F(SchemeCacheTest, UnforcedWritesNeverReachTheFactorySetNorAnyWriteBeyondIt) {
    EXPECT_EQ(-2, m_pController->setKeyValToCache(4, 34, 70, false));
    EXPECT_EQ(50, stored(34, 4));
    EXPECT_EQ(1, m_pController->setKeyValToCache(4, 34, 70, true));
    EXPECT_EQ(70, stored(34, 4));
    EXPECT_EQ(-2, m_pController->setKeyValToCache(static_cast<u32>(-1), 34, 70, false));
    EXPECT_EQ(-2, m_pController->setKeyValToCache(5, 34, 70, true));
    EXPECT_EQ(-1, m_pController->setKeyValToCache(0, 4242, 70, false));
}

TEST_F(SchemeCacheTest, ReadsAndWritesTouchOnlyTheFirstRecordOfAKey) {
    EXPECT_EQ(1, m_pController->setKeyValToCache(2, 34, 7, false));
    EXPECT_EQ(99u, m_pAccess->scheme(2)[3].value);
    u32 nValue = 0;
    EXPECT_EQ(1, m_pController->getKeyValFromCache(2, 34, nValue));
    EXPECT_EQ(7u, nValue);
    EXPECT_EQ(2, m_pController->getKeyValFromCache(4, 2337, nValue));
    EXPECT_EQ(128u, nValue);
}

TEST_F(SchemeCacheTest, AFailedReadLeavesTheCallersValue) {
    setDebugControl("6\n");
    u32 nValue = 12345;
    EXPECT_EQ(-1, m_pController->getKeyValFromCache(0, 4242, nValue));
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_EQ(-1, m_pController->getKeyValFromCache(5, 34, nValue)); })
                                     .find("can not find val, invalid sheme(5) \n"));
    EXPECT_EQ(12345u, nValue);
}

TEST_F(SchemeCacheTest, SameValueIsJudgedAgainstTheReferenceScheme) {
    store(34, 60, 1);
    m_pAccess->curScheme() = 1;
    m_pAccess->lastScheme() = 0;
    EXPECT_TRUE(m_pController->isKeyValSame({34, 60}));
    EXPECT_FALSE(m_pController->isKeyValSame({34, 50}));
    EXPECT_FALSE(m_pController->isKeyValSame({4242, static_cast<u32>(-1)}));
    // During a switch the scheme being left is the reference.
    m_pAccess->stateFlags() = SENSOR_STATE_SWITCHING;
    EXPECT_TRUE(m_pController->isKeyValSame({34, 50}));
    m_pAccess->stateFlags() = 0;
    m_pAccess->curScheme() = -1;
    EXPECT_FALSE(m_pController->isKeyValSame({34, 50}));
}

TEST_F(ControllerFixture, BeforeInitNothingIsAppliedOrCachedAndReadsGoToTheIsp) {
    EXPECT_EQ(-1, m_pController->setParameter(34, 60, true));
    EXPECT_EQ(-1, m_pController->setParameters(std::string("(34,60)"), true));
    EXPECT_TRUE(ispsim::calls().empty());
    u32 nValue = 3;
    EXPECT_EQ(-1, m_pController->getKeyValFromCache(0, 34, nValue));
    EXPECT_EQ(-1, m_pController->setKeyValToCache(0, 34, 1, true));
    EXPECT_FALSE(m_pController->isKeyValSame({34, 3}));
    EXPECT_EQ(3u, nValue);
    ispsim::setValue(0, 34, 44);
    std::string strOut = "(1,2)";
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(1,2)", strOut);
    EXPECT_TRUE(m_pController->getParameters("(34)", strOut));
    EXPECT_EQ("(34,44)", strOut);
}

}  // namespace
