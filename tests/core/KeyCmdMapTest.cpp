// The key table itself and the key-command map built from it.
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "core/KeyTable.h"

namespace {

using sensorkeys::KeyRow;

TEST(KeyTableTest, HoldsEachKeyOnceAndNamesEveryHandler) {
    ASSERT_EQ(165u, sensorkeys::keyRowCount());
    std::set<u32> setKeys;
    std::map<std::string, int> mapHandlerRows;
    for (u32 i = 0; i < sensorkeys::keyRowCount(); ++i) {
        const KeyRow& stRow = sensorkeys::keyRows()[i];
        EXPECT_TRUE(setKeys.insert(stRow.key).second) << "key " << stRow.key << " twice";
        EXPECT_EQ(stRow.handler == nullptr, std::string(stRow.handlerName) == "NULL") << stRow.name;
        if (stRow.handler == nullptr) {
            EXPECT_EQ(0u, stRow.command) << stRow.name;
        }
        ++mapHandlerRows[stRow.handlerName];
    }
    const std::map<std::string, int> mapExpected = {
        {"&ISensorController::doIaCmd", 87},        {"&ISensorController::doIaCmd_PanoTuning", 35},
        {"&ISensorController::doIaCmd_User", 11},   {"&ISensorController::test_debugParam", 4},
        {"&ISensorController::doImageAdjust", 3},   {"&ISensorController::doIaCmdShutter", 1},
        {"&ISensorController::doIoCrtl", 1},        {"&ISensorController::doHwdr", 1},
        {"&ISensorController::doDIS", 1},           {"&ISensorController::doDNTime", 4},
        {"&ISensorController::doDNThr", 3},         {"&ISensorController::doMirror", 1},
        {"&ISensorController::doBeaway", 1},        {"NULL", 12},
    };
    EXPECT_EQ(mapExpected, mapHandlerRows);
}

TEST(KeyTableTest, CommandDiffersFromKeyOnlyInTheKnownRows) {
    std::map<u32, u32> mapDiffering;
    for (u32 i = 0; i < sensorkeys::keyRowCount(); ++i) {
        const KeyRow& stRow = sensorkeys::keyRows()[i];
        if (stRow.command != stRow.key) mapDiffering[stRow.key] = stRow.command;
    }
    const std::map<u32, u32> mapExpected = {
        {83, 85},   {17, 83},   {18, 84},     {170, 168},   {171, 169}, {172, 170}, {173, 171}, {174, 172},
        {2497, 2464}, {2570, 2048}, {2571, 2064}, {8000, 0}, {8001, 0}, {8002, 0},  {8003, 0},  {8004, 0},
        {10, 0},    {11, 0},    {13, 0},      {168, 0},     {175, 0},   {200, 0},   {203, 0},
    };
    EXPECT_EQ(mapExpected, mapDiffering);
}

TEST(KeyTableTest, NamesAreLookedUpInBothDirections) {
    EXPECT_STREQ("KEY__DDE_MANUAL_STRG", sensorkeys::keyRows()[0].name);
    EXPECT_STREQ("IA_CMD_UI_SHUTTER_RESET", sensorkeys::keyNameOf(8231));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV", sensorkeys::keyNameOf(8104));
    EXPECT_STREQ("KEY_WHITE_MANUAL_STRG_FAR_INTELL", sensorkeys::keyNameOf(205));
    EXPECT_EQ(nullptr, sensorkeys::keyNameOf(12345));
    u32 nKey = 0;
    EXPECT_TRUE(sensorkeys::keyByName("KEY_IR_MANUAL_STRG_MEDIUM_INTELL", nKey));
    EXPECT_EQ(201u, nKey);
    EXPECT_TRUE(sensorkeys::keyByName("KEY_WB_BG", nKey));
    EXPECT_EQ(773u, nKey);
    EXPECT_FALSE(sensorkeys::keyByName("KEY_MIXSTREAM_THERMAL_TO_VISION", nKey));
}

class KeyCmdMapTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        m_pController.reset(new ISensorController());
        m_pAccess.reset(new ISensorControllerTestAccess(*m_pController));
        m_pAccess->setUpSchemes(1, {{34, 50}});
    }
    void TearDown() override {
        m_pAccess->tearDownSchemes();
        m_pAccess.reset();
        m_pController.reset();
        DeviceFixture::TearDown();
    }
    int find(u32 p_nKey, keycmd& p_stRow) {
        return m_pController->findFromKeyCmdMap(m_pAccess->keyCmdMap(), p_nKey, p_stRow);
    }

    std::unique_ptr<ISensorController> m_pController;
    std::unique_ptr<ISensorControllerTestAccess> m_pAccess;
};

TEST_F(KeyCmdMapTest, BuildsTheRowsInTableOrderAndLeavesTheSpareRowsZero) {
    EXPECT_EQ(165u, m_pAccess->keyCmdSum());
    const keycmd* pMap = m_pAccess->keyCmdMap();
    for (u32 i = 0; i < 165; ++i) EXPECT_EQ(sensorkeys::keyRows()[i].key, pMap[i].key) << "row " << i;
    const keycmd stZero = keycmd();
    for (u32 i = 165; i < 170; ++i) EXPECT_EQ(0, memcmp(&stZero, &pMap[i], sizeof(keycmd))) << "row " << i;
}

TEST_F(KeyCmdMapTest, FindsRowsByKeyNotByCommand) {
    keycmd stRow = keycmd();
    EXPECT_EQ(0, find(8240, stRow));
    EXPECT_EQ(164, find(773, stRow));
    EXPECT_EQ(19, find(83, stRow));
    EXPECT_EQ(85u, stRow.ia_cmd);
    EXPECT_TRUE(stRow.func == &ISensorController::doIaCmd);
    EXPECT_EQ(20, find(17, stRow));
    EXPECT_EQ(83u, stRow.ia_cmd);
    EXPECT_TRUE(stRow.func == &ISensorController::doIaCmd_User);
    EXPECT_STREQ("&ISensorController::doIaCmd_User", stRow.func_name);
    EXPECT_EQ(91, find(8000, stRow));
    EXPECT_EQ(0u, stRow.ia_cmd);
    EXPECT_TRUE(stRow.func == nullptr);
    EXPECT_STREQ("NULL", stRow.func_name);
}

TEST_F(KeyCmdMapTest, AMissingKeyLeavesTheRowUntouchedAndIsTraced) {
    setDebugControl("6\n");
    keycmd stRow = keycmd();
    stRow.key = 777;
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, find(201, stRow));
    // Key 0 matches only the spare rows, which are never searched.
    EXPECT_EQ(-1, find(0, stRow));
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(777u, stRow.key);
    EXPECT_NE(std::string::npos, strOut.find("cand not find key-cmd while key=201\n"));
    EXPECT_EQ(-1, m_pController->findFromKeyCmdMap(nullptr, 34, stRow));
}

TEST_F(KeyCmdMapTest, LongNamesAreCutTo31Characters) {
    keycmd stRow = keycmd();
    ASSERT_EQ(85, find(8104, stRow));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION", stRow.key_name);
    EXPECT_STREQ("&ISensorController::doIoCrtl", stRow.func_name);
    find(8102, stRow);
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_WIDTH_OF", stRow.key_name);
    find(8103, stRow);
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_HEIGHT_O", stRow.key_name);
    find(8101, stRow);
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_Y_OFFSET", stRow.key_name);
}

}  // namespace
