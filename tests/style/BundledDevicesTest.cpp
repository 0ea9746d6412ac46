// The bundled device data: every profile's styles merge as its detail text
// says, and the factory set read out of the fitted style starts with the
// scheme keys and holds each key the device stores once.
#include <set>
#include <string>
#include <vector>

#include "SensorKeyTable.h"
#include "StartedControllers.h"
#include "StyleTestSupport.h"
#include "sensor.h"

using namespace styletest;

namespace {

struct ProfileCase {
    const char* profile;
    int channel;
    u32 storedKeys;
    Strings tabs;
    std::vector<std::pair<u32, u32>> fitted;  // key, factory value
};

std::ostream& operator<<(std::ostream& p_stream, const ProfileCase& p_stCase) {
    return p_stream << p_stCase.profile << " channel " << p_stCase.channel;
}

// initSysConf with the channel's module configuration as the host reads it.
class BundledProfileTest : public StartedControllers, public ::testing::WithParamInterface<ProfileCase> {
protected:
    void TearDown() override {
        uinitSysConf(&m_stConf);
        StartedControllers::TearDown();
    }
    SysConfig m_stConf = {};
};

TEST_P(BundledProfileTest, MergesFitsAndYieldsTheStoredKeys) {
    const ProfileCase& stCase = GetParam();
    installDevice(stCase.profile);
    std::vector<KeyVal> vecKeyVal(170);
    u32 nCount = 0;
    const std::string strOut = printedBy([&] {
        EXPECT_EQ(SNS_SUCCESS, initSysConf(stCase.channel, moduleConfig(static_cast<size_t>(stCase.channel - 1)), &m_stConf));
        EXPECT_EQ(SNS_SUCCESS, getFctData(stCase.channel, m_stConf.szUIStyle, vecKeyVal.data(), &nCount, true, 170));
    });
    EXPECT_EQ(std::string::npos, strOut.find("~~~Assertion failed")) << strOut;
    Strings vecTabs;
    for (const std::string& strTab : tabs(m_stConf.szUIStyle)) vecTabs.push_back(strTab.substr(0, strTab.find(':')));
    EXPECT_EQ(stCase.tabs, vecTabs);
    EXPECT_EQ(m_stConf.szUIStyle, readFile("/tmp/merge_style_ch" + std::to_string(stCase.channel) + ".xml"));
    EXPECT_EQ(4u, m_stConf.nSchemeSum);

    ASSERT_EQ(stCase.storedKeys, nCount);
    // The WDR and scene flags remove valueless notices, never stored values.
    u32 nCountWithoutWdr = 0;
    std::vector<KeyVal> vecWithoutWdr(170);
    g_bShoWBeawayFalg = false;
    printedBy([&] { getFctData(stCase.channel, m_stConf.szUIStyle, vecWithoutWdr.data(), &nCountWithoutWdr, false, 170); });
    EXPECT_EQ(nCount, nCountWithoutWdr);
    for (u32 i = 0; i < 5; ++i) EXPECT_EQ(8000u + i, vecKeyVal[i].key) << i;
    EXPECT_EQ(0u, vecKeyVal[1].value);
    EXPECT_EQ(24u, vecKeyVal[3].value);  // the factory window is the whole day
    // Each key once, each one the vocabulary has, none a button (a press,
    // never a stored value).
    std::set<u32> setVocabulary = {201, 202, 204, 205};
#define SENSOR_KEY_ROW(name, key, command, handler) setVocabulary.insert(key);
#define SENSOR_KEY_STORED(name, key) setVocabulary.insert(key);
    SENSOR_KEY_TABLE(SENSOR_KEY_ROW, SENSOR_KEY_STORED, SENSOR_KEY_ROW)
#undef SENSOR_KEY_ROW
#undef SENSOR_KEY_STORED
    const std::set<u32> setActions = {17, 18, 1539, 1616, 1569, 1570, 1553, 1554, 2432, 8104, 8212, 8231};
    std::set<u32> setKeys;
    for (u32 i = 0; i < nCount; ++i) {
        const u32 nKey = vecKeyVal[i].key;
        EXPECT_TRUE(setKeys.insert(nKey).second) << "key " << nKey << " twice";
        EXPECT_EQ(1u, setVocabulary.count(nKey)) << nKey;
        EXPECT_EQ(0u, setActions.count(nKey)) << nKey;
    }
    for (const std::pair<u32, u32>& stFitted : stCase.fitted) {
        int nValue = -1;
        for (u32 i = 0; i < nCount && nValue < 0; ++i)
            if (vecKeyVal[i].key == stFitted.first) nValue = static_cast<int>(vecKeyVal[i].value);
        EXPECT_EQ(static_cast<int>(stFitted.second), nValue) << "key " << stFitted.first;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, BundledProfileTest,
    ::testing::Values(
        // Style values win for 50 and 56; 82 and 2497 take the sensor's defaults.
        ProfileCase{"ir-bullet", 1, 107,
                    {"scheme", "image", "exposure", "iris", "wb", "daynight", "ir", "whitelight", "nr", "wdr", "blc",
                     "defog", "enhance", "lens", "position"},
                    {{49, 6}, {50, 9}, {51, 22}, {55, 20}, {56, 5}, {82, 717}, {1537, 3}, {2497, 30}}},
        // The dome's own shutter list gives 49 the value 206 less 200.
        ProfileCase{"dome", 1, 100,
                    {"scheme", "lens", "image", "exposure", "iris", "wb", "daynight", "ir", "whitelight", "nr", "wdr",
                     "blc", "defog", "enhance"},
                    {{49, 6}, {50, 7}, {1537, 6}, {1571, 8}, {2497, 25}}},
        ProfileCase{"thermal-dual", 1, 112,
                    {"scheme", "image", "exposure", "iris", "wb", "daynight", "ir", "whitelight", "nr", "wdr", "blc",
                     "defog", "enhance", "lens", "mixstream", "position"},
                    {{49, 6}, {51, 21}, {1537, 2}, {82, 512}}},
        ProfileCase{"thermal-dual", 2, 36, {"scheme", "image", "palette", "nr", "enhance", "ffc", "imageadjust"},
                    {{8201, 0}, {2497, 25}, {8203, 5}}}));

}  // namespace
