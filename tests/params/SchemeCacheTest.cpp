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

// Unforced writes never reach the factory set, no write goes beyond it, and
// only the first record of a key counts.
TEST_F(SchemeCacheTest, WritesStayInsideTheSchemesAndTouchTheFirstRecordOfAKey) {
    EXPECT_EQ(-2, controller().setKeyValToCache(4, 34, 70, false));
    EXPECT_EQ(50, stored(34, 4));
    EXPECT_EQ(1, controller().setKeyValToCache(4, 34, 70, true));
    EXPECT_EQ(70, stored(34, 4));
    EXPECT_EQ(-2, controller().setKeyValToCache(static_cast<u32>(-1), 34, 70, false));
    EXPECT_EQ(-2, controller().setKeyValToCache(5, 34, 70, true));
    EXPECT_EQ(-1, controller().setKeyValToCache(0, 4242, 70, false));
    EXPECT_EQ(1, controller().setKeyValToCache(2, 34, 7, false));
    EXPECT_EQ(99u, access().scheme(2)[3].value);
    u32 nValue = 0;
    EXPECT_EQ(1, controller().getKeyValFromCache(2, 34, nValue));
    EXPECT_EQ(7u, nValue);
    EXPECT_EQ(2, controller().getKeyValFromCache(4, 2337, nValue));
    EXPECT_EQ(128u, nValue);
}

TEST_F(SchemeCacheTest, AFailedReadLeavesTheCallersValue) {
    setDebugControl("6\n");
    u32 nValue = 12345;
    EXPECT_EQ(-1, controller().getKeyValFromCache(0, 4242, nValue));
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_EQ(-1, controller().getKeyValFromCache(5, 34, nValue)); })
                                     .find("can not find val, invalid sheme(5) \n"));
    EXPECT_EQ(12345u, nValue);
}

// Before init a set reaches neither the ISP nor a cache; reads go to the ISP.
TEST_F(ControllerFixture, BeforeInitNothingIsAppliedOrCachedAndReadsGoToTheIsp) {
    makeController();
    EXPECT_EQ(-1, controller().setParameter(34, 60, true));
    EXPECT_EQ(-1, controller().setParameters(std::string("(34,60)"), true));
    EXPECT_EQ(-1, controller().setKeyValToCache(0, 34, 1, true));
    EXPECT_TRUE(ispsim::calls().empty());
    ispsim::setValue(0, 34, 44);
    std::string strOut;
    EXPECT_TRUE(controller().getParameters("(34)", strOut));
    EXPECT_EQ("(34,44)", strOut);
}

}  // namespace
