// The bundled device data: every document parses, every profile's styles
// merge as its detail text says, and the factory set read out of the fitted
// style starts with the scheme keys and holds every key the device stores.
#include <gtest/gtest.h>

#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorKeyTable.h"
#include "StyleTestSupport.h"
#include "sensor.h"

namespace {

typedef std::set<u32> Keys;

Keys operator+(Keys p_setLeft, const Keys& p_setRight) {
    p_setLeft.insert(p_setRight.begin(), p_setRight.end());
    return p_setLeft;
}

Keys operator-(Keys p_setLeft, const Keys& p_setRight) {
    for (u32 nKey : p_setRight) p_setLeft.erase(nKey);
    return p_setLeft;
}

const Keys kSchemeKeys = {8000, 8001, 8002, 8003, 8004, 10, 11, 13};

// What a visible channel stores, the light twins included.
const Keys kVisibleKeys =
    kSchemeKeys + Keys{34,   2353, 2337, 2321, 2528, 2384, 2385, 2512, 2497,                  // image
                       16,   96,   49,   50,   51,   52,   55,   56,   57,   65,   66,        // exposure
                       80,   81,   82,   83,                                                  // iris
                       768,  770,  771,  772,  773,                                           // white balance
                       144,  147,  145,  146,  154,  149,  150,  151,  152,  2560,            // day/night
                       224,  160,  161,  162,  163,  164,  165,  166,  167,  155,  176,       // infrared
                       168,  200,  201,  202,                                                 // its smart twins
                       170,  171,  172,  173,  174,  175,  203,  204,  205,                   // white light
                       2304, 2305, 2306, 2307, 2308, 2309, 2312, 2313,                        // noise reduction
                       2368, 2369, 128,  129,  130,  112,  113,  2400, 2401,                  // WDR, BLC, HLC, defog
                       2416, 2417, 2570, 2571,                                                // enhancement
                       1536, 1537, 1538, 1571, 8207, 1584, 1568, 1552};                       // lens
const Keys kPositionKeys = {2433, 2434, 2435, 2436, 2437, 2438, 2439};
const Keys kMixStreamKeys = {8100, 8101, 8102, 8103, 8105};
const Keys kThermalLensKeys = {1536, 8207, 1552};
const Keys kThermalKeys = kSchemeKeys + kThermalLensKeys +
                          Keys{34,   2353, 2321, 8240, 8202, 8208, 1584, 2497, 2384, 2385, 8201, 8217, 2304, 2305,
                               2306, 2307, 2308, 2309, 2312, 2313, 2416, 2417, 8204, 8203, 8209, 8211, 8205, 8206};
// Buttons: a press, never a stored value.
const Keys kActionKeys = {17, 18, 1539, 1616, 1569, 1570, 1553, 1554, 2432, 8104, 8212, 8231};

Keys vocabulary() {
    Keys setKeys = {201, 202, 204, 205};
#define SENSOR_KEY_ROW(name, key, command, handler) setKeys.insert(key);
#define SENSOR_KEY_STORED(name, key) setKeys.insert(key);
    SENSOR_KEY_TABLE(SENSOR_KEY_ROW, SENSOR_KEY_STORED, SENSOR_KEY_ROW)
#undef SENSOR_KEY_ROW
#undef SENSOR_KEY_STORED
    return setKeys;
}

struct ProfileCase {
    const char* profile;
    int channel;
    Keys stored;
    std::vector<std::string> tabs;
    std::vector<std::pair<int, int>> fitted;  // key, factory value
};

std::ostream& operator<<(std::ostream& p_stream, const ProfileCase& p_stCase) {
    return p_stream << p_stCase.profile << " channel " << p_stCase.channel;
}

class BundledStyleTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        memset(&m_stConf, 0, sizeof(m_stConf));
        m_bSceneFlag = g_bShoWBeawayFalg;
        g_bShoWBeawayFalg = true;
    }
    void TearDown() override {
        uinitSysConf(&m_stConf);
        g_bShoWBeawayFalg = m_bSceneFlag;
        DeviceFixture::TearDown();
    }

    // The channel's module configuration as the host reads it.
    void readModule(int p_nChannel, ModuleConfigure& p_objModule) {
        MachineInfo objInfo;
        ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo));
        std::vector<ModuleConfigure> vecModules;
        ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                                 objInfo.getHardwareCode(), vecModules));
        ASSERT_LE(static_cast<size_t>(p_nChannel), vecModules.size());
        p_objModule = vecModules[static_cast<size_t>(p_nChannel - 1)];
    }

    SysConfig m_stConf;

private:
    bool m_bSceneFlag = true;
};

class BundledProfileTest : public BundledStyleTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(BundledProfileTest, MergesFitsAndYieldsTheStoredKeys) {
    const ProfileCase& stCase = GetParam();
    installDevice(stCase.profile);
    ModuleConfigure objModule;
    ASSERT_NO_FATAL_FAILURE(readModule(stCase.channel, objModule));
    testing::internal::CaptureStdout();
    EXPECT_EQ(SNS_SUCCESS, initSysConf(stCase.channel, objModule, &m_stConf));
    std::vector<KeyVal> vecKeyVal(170);
    u32 nCount = 0;
    EXPECT_EQ(SNS_SUCCESS, getFctData(stCase.channel, m_stConf.szUIStyle, vecKeyVal.data(), &nCount, true, 170));
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string::npos, strOut.find("~~~Assertion failed")) << strOut;

    std::vector<std::string> vecTabs;
    for (const std::string& strTab : styletest::tabs(m_stConf.szUIStyle))
        vecTabs.push_back(strTab.substr(0, strTab.find(':')));
    EXPECT_EQ(stCase.tabs, vecTabs);
    EXPECT_EQ(m_stConf.szUIStyle,
              readFile("/tmp/merge_style_ch" + std::to_string(stCase.channel) + ".xml"));
    EXPECT_EQ(4u, m_stConf.nSchemeSum);

    ASSERT_GE(nCount, 5u);
    for (u32 i = 0; i < 5; ++i) EXPECT_EQ(8000u + i, vecKeyVal[i].key) << i;
    EXPECT_EQ(0u, vecKeyVal[1].value);
    EXPECT_EQ(24u, vecKeyVal[3].value);  // the factory window is the whole day

    Keys setKeys;
    for (u32 i = 0; i < nCount; ++i) {
        EXPECT_TRUE(setKeys.insert(vecKeyVal[i].key).second) << "key " << vecKeyVal[i].key << " twice";
    }
    EXPECT_EQ(stCase.stored, setKeys);
    const Keys setVocabulary = vocabulary();
    for (u32 nKey : setKeys) EXPECT_TRUE(setVocabulary.count(nKey) == 1) << nKey;

    for (const std::pair<int, int>& stFitted : stCase.fitted) {
        const std::vector<KeyVal>::const_iterator it =
            std::find_if(vecKeyVal.begin(), vecKeyVal.begin() + nCount,
                         [&](const KeyVal& p_stRecord) { return p_stRecord.key == static_cast<u32>(stFitted.first); });
        ASSERT_NE(vecKeyVal.begin() + nCount, it) << stFitted.first;
        EXPECT_EQ(static_cast<u32>(stFitted.second), it->value) << "key " << stFitted.first;
    }
}

const std::vector<std::string> kBulletTabs = {"scheme", "image", "exposure", "iris", "wb",
                                              "daynight", "ir", "whitelight", "nr", "wdr",
                                              "blc", "defog", "enhance", "lens", "position"};
const std::vector<std::string> kDomeTabs = {"scheme", "lens", "image", "exposure", "iris", "wb", "daynight",
                                            "ir", "whitelight", "nr", "wdr", "blc", "defog", "enhance"};
const std::vector<std::string> kDualVisibleTabs = {"scheme", "image", "exposure", "iris", "wb", "daynight",
                                                   "ir", "whitelight", "nr", "wdr", "blc", "defog",
                                                   "enhance", "lens", "mixstream", "position"};
const std::vector<std::string> kDualThermalTabs = {"scheme", "image", "palette", "nr", "enhance", "ffc",
                                                   "imageadjust"};

INSTANTIATE_TEST_SUITE_P(
    Profiles, BundledProfileTest,
    ::testing::Values(
        // Style values win for 50 and 56; 82 and 2497 take the sensor's defaults.
        ProfileCase{"ir-bullet", 1, kVisibleKeys + kPositionKeys, kBulletTabs,
                    {{49, 6}, {50, 9}, {51, 22}, {55, 20}, {56, 5}, {82, 717}, {1537, 3}, {2497, 30}}},
        // The dome's own shutter list gives 49 the value 206 less 200.
        ProfileCase{"dome", 1, kVisibleKeys, kDomeTabs, {{49, 6}, {50, 7}, {1537, 6}, {1571, 8}, {2497, 25}}},
        ProfileCase{"thermal-dual", 1, kVisibleKeys + kPositionKeys + kMixStreamKeys, kDualVisibleTabs,
                    {{49, 6}, {51, 21}, {1537, 2}, {82, 512}}},
        ProfileCase{"thermal-dual", 2, kThermalKeys - kThermalLensKeys, kDualThermalTabs,
                    {{8201, 0}, {2497, 25}, {8203, 5}}}));

TEST_F(BundledStyleTest, TheBulletsDetailTakesTheIrisAndWdrVariants) {
    installDevice("ir-bullet");
    ModuleConfigure objModule;
    ASSERT_NO_FATAL_FAILURE(readModule(1, objModule));
    initSysConf(1, objModule, &m_stConf);
    EXPECT_EQ(10u, styletest::params(m_stConf.szUIStyle, 82).at(0).options.size());
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), styletest::params(m_stConf.szUIStyle, 2368).at(0).options);
}

TEST_F(BundledStyleTest, TheStylesCarryValuelessNoticesForTheFlags) {
    // Removing the WDR and scene elements by flag must take the notices, not
    // the stored placeholders, so the factory set is the same either way.
    installDevice("ir-bullet");
    for (const char* szStyle : {"Style.xml", "Style_dome.xml", "Style_Thermal.xml"}) {
        const std::string strStyle = readFile(std::string("/hd1/moduleConfig/sensorConfig/style/") + szStyle);
        for (int nId : {10, 11}) {
            const std::vector<styletest::Param> vecParams = styletest::params(strStyle, nId);
            ASSERT_EQ(2u, vecParams.size()) << szStyle << " " << nId;
            EXPECT_EQ("0", vecParams[0].value);
            EXPECT_EQ("-", vecParams[1].value);
        }
    }
}

std::vector<std::string> filesUnder(const std::string& p_strDir) {
    std::vector<std::string> vecFiles;
    DIR* pDir = opendir(p_strDir.c_str());
    if (pDir == nullptr) return vecFiles;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") continue;
        const std::string strPath = p_strDir + "/" + strName;
        struct stat st;
        if (stat(strPath.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            const std::vector<std::string> vecBelow = filesUnder(strPath);
            vecFiles.insert(vecFiles.end(), vecBelow.begin(), vecBelow.end());
        } else {
            vecFiles.push_back(strPath);
        }
    }
    closedir(pDir);
    return vecFiles;
}

TEST(BundledDocumentsTest, EveryXmlDocumentParses) {
    size_t nDocuments = 0;
    for (const std::string& strPath : filesUnder(bundledDevicesDir())) {
        if (strPath.size() < 4 || strPath.compare(strPath.size() - 4, 4, ".xml") != 0) continue;
        std::ifstream in(strPath.c_str());
        std::stringstream content;
        content << in.rdbuf();
        TiXmlDocument objDoc;
        EXPECT_TRUE(LoadMem(objDoc, content.str().c_str(), TIXML_ENCODING_UTF8)) << strPath;
        EXPECT_NE(nullptr, objDoc.RootElement()) << strPath;
        ++nDocuments;
    }
    EXPECT_EQ(13u, nDocuments);
}

}  // namespace
