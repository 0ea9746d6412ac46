// The key-command map init builds from the key table, its search, and the
// name lookups of the vocabulary.
#include <cstring>
#include <memory>
#include <string>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "core/KeyTable.h"

namespace {

class KeyCmdMapTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        m_pAccess.reset(new ISensorControllerTestAccess(m_objController));
        m_pAccess->setUpSchemes(1, {{34, 50}});
    }
    void TearDown() override {
        m_pAccess->tearDownSchemes();
        DeviceFixture::TearDown();
    }
    int find(u32 p_nKey) { return m_objController.findFromKeyCmdMap(m_pAccess->keyCmdMap(), p_nKey, m_stRow); }

    ISensorController m_objController;
    std::unique_ptr<ISensorControllerTestAccess> m_pAccess;
    keycmd m_stRow = keycmd();
};

// A fresh controller reserves 170 rows: the five past the table stay zero.
TEST_F(KeyCmdMapTest, HoldsTheTableInOrderWithNamesCutToTheField) {
    ASSERT_EQ(165u, m_pAccess->keyCmdSum());
    const keycmd* pMap = m_pAccess->keyCmdMap();
    int nCut = 0;
    for (u32 i = 0; i < 165; ++i) {
        const sensorkeys::KeyRow& stRow = sensorkeys::keyRows()[i];
        SCOPED_TRACE(stRow.name);
        EXPECT_EQ(stRow.key, pMap[i].key);
        EXPECT_EQ(stRow.command, pMap[i].ia_cmd);
        EXPECT_TRUE(stRow.handler == pMap[i].func);
        EXPECT_EQ(std::string(stRow.name).substr(0, 31), pMap[i].key_name);
        EXPECT_STREQ(stRow.handlerName, pMap[i].func_name);
        nCut += std::strlen(stRow.name) > 31;
    }
    EXPECT_EQ(3, nCut);
    const keycmd stZero = keycmd();
    for (u32 i = 165; i < 170; ++i) EXPECT_EQ(0, std::memcmp(&stZero, &pMap[i], sizeof(keycmd))) << "row " << i;
}

TEST_F(KeyCmdMapTest, LongNamesKeepTheirFirst31Characters) {
    ASSERT_EQ(85, find(8104));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION", m_stRow.key_name);
    EXPECT_STREQ("&ISensorController::doIoCrtl", m_stRow.func_name);
    find(8103);
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_HEIGHT_O", m_stRow.key_name);
    find(8101);  // exactly 31: kept whole
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_Y_OFFSET", m_stRow.key_name);
}

// Keys 83 and 168 are also other rows' commands: the search is by key.
TEST_F(KeyCmdMapTest, FindsRowsByKeyNotByCommand) {
    EXPECT_EQ(0, find(8240));
    EXPECT_EQ(164, find(773));
    EXPECT_EQ(19, find(83));
    EXPECT_EQ(85u, m_stRow.ia_cmd);
    EXPECT_TRUE(m_stRow.func == &ISensorController::doIaCmd);
    EXPECT_EQ(20, find(17));
    EXPECT_EQ(83u, m_stRow.ia_cmd);
    EXPECT_TRUE(m_stRow.func == &ISensorController::doIaCmd_User);
    EXPECT_EQ(156, find(168));
    EXPECT_EQ(0u, m_stRow.ia_cmd);
    EXPECT_TRUE(m_stRow.func == nullptr);
    EXPECT_STREQ("NULL", m_stRow.func_name);
}

TEST_F(KeyCmdMapTest, AMissingKeyLeavesTheRowUntouchedAndIsTraced) {
    setDebugControl("6\n");
    m_stRow.key = 777;
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, find(201));
    // Key 0 matches only the spare rows, which are never searched.
    EXPECT_EQ(-1, find(0));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("cand not find key-cmd while key=201\n"));
    EXPECT_EQ(777u, m_stRow.key);
    EXPECT_EQ(-1, m_objController.findFromKeyCmdMap(nullptr, 34, m_stRow));
}

// The intelligent twins 201..205 have names but no row; a cut name is no name.
TEST(KeyNamesTest, MaplessTwinsAreNamedAndNamesAreWhole) {
    EXPECT_STREQ("KEY_WHITE_MANUAL_STRG_FAR_INTELL", sensorkeys::keyNameOf(205));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV", sensorkeys::keyNameOf(8104));
    EXPECT_EQ(nullptr, sensorkeys::keyNameOf(12345));
    u32 nKey = 0;
    EXPECT_TRUE(sensorkeys::keyByName("KEY_IR_MANUAL_STRG_MEDIUM_INTELL", nKey));
    EXPECT_EQ(201u, nKey);
    EXPECT_TRUE(sensorkeys::keyByName("KEY_WB_BG", nKey));
    EXPECT_EQ(773u, nKey);
    EXPECT_FALSE(sensorkeys::keyByName("KEY_MIXSTREAM_THERMAL_TO_VISION", nKey));
    EXPECT_FALSE(sensorkeys::keyByName(nullptr, nKey));
}

}  // namespace
