// The system configuration record: texts and scheme count from the module
// configuration, the device-type check, the style choice and its release.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "DeviceFixture.h"
#include "StyleTestSupport.h"
#include "sensor.h"

using namespace styletest;

namespace {

const char* const kStyleDir = "/hd1/moduleConfig/sensorConfig/style/";
const char* const kDiversityDir = "/hd1/moduleConfig/sensorConfig/styleDiversity/";

// The two ends of the device-type check's expression, as its report quotes it.
const char* const kDeviceTypeHead = "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT";
const char* const kDeviceTypeTail =
    "DeviceType::THERMAL_IPDOME == p_stSysConf->nDeviceType || "
    "DeviceType::DOMECORE_THERMAL_DEVICE == p_stSysConf->nDeviceType";

class SystemConfigTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        memset(&m_stConf, 0, sizeof(m_stConf));
        // Each base style names itself in its tab; each diversity document
        // adds a tab naming itself, so the merged text shows which two were read.
        for (const std::string strName : {"Style", "Style_dome", "Style_Thermal"}) {
            const std::string strDiversity = "StyleDiversity" + strName.substr(5);
            writeFile(kStyleDir + strName + ".xml", "<style><tab key=\"" + strName + "\"/></style>");
            writeFile(kDiversityDir + strDiversity + ".xml", "<all max_scheme=\"4\"><AddAfter tab_key=\"" + strName +
                                                                 "\"><tab key=\"" + strDiversity + "\"/></AddAfter></all>");
        }
        m_objModule.setModuleId(3);
        m_objModule.setDetail("(max_scheme=4)(isInfrared=1)");
        m_objModule.setParameters("sensor=IMX334");
    }
    void TearDown() override {
        uinitSysConf(&m_stConf);
        DeviceFixture::TearDown();
    }
    void setDeviceType(int p_nType) {
        writeFile("/mnt/mtd/code/factory_setting/machineinfo.ini",
                  "[machine]\ndeviceType=" + std::to_string(p_nType) + "\nhardwareModel=Hi3516AV200\n");
    }
    int init(int p_nChannel) {
        uinitSysConf(&m_stConf);
        int nResult = -1;
        m_strStdout = printedBy([&] { nResult = initSysConf(p_nChannel, m_objModule, &m_stConf); });
        return nResult;
    }
    std::string style() const { return m_stConf.szUIStyle != nullptr ? m_stConf.szUIStyle : "<null>"; }

    SysConfig m_stConf;
    ModuleConfigure m_objModule;
    std::string m_strStdout;
};

TEST_F(SystemConfigTest, TheDeviceTypeAndChannelChooseTheStyleFiles) {
    const struct {
        int nDeviceType, nChannel;
        const char* szStyle;
    } aCases[] = {{1, 1, "Style"},           {13, 1, "Style"},         {13, 2, "Style_Thermal"},
                  {14, 2, "Style_Thermal"},  {15, 2, "Style"},         {17, 2, "Style_Thermal"},
                  {22, 1, "Style"},          {4, 2, "Style_dome"},     {19, 1, "Style_dome"},
                  {19, 2, "Style_Thermal"},  {23, 2, "Style_Thermal"}, {104, 2, "Style_dome"}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(c.nDeviceType) + " ch" + std::to_string(c.nChannel));
        setDeviceType(c.nDeviceType);
        EXPECT_EQ(SNS_SUCCESS, init(c.nChannel));
        EXPECT_EQ((Strings{c.szStyle, "StyleDiversity" + std::string(c.szStyle).substr(5)}), tabs(style()));
        EXPECT_EQ(c.nDeviceType, m_stConf.nDeviceType);
        EXPECT_EQ(std::string::npos, m_strStdout.find("~~~Assertion failed"));
    }
}

TEST_F(SystemConfigTest, AnUnknownOrMissingDeviceTypeIsReportedWholeAndTakesTheDomeFiles) {
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_TRUE(reports(m_strStdout, "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/"
                                     "machineinfo.ini\", machineInfo)"));
    EXPECT_TRUE(reports(m_strStdout, kDeviceTypeTail));
    EXPECT_EQ("Style_dome", tabs(style()).at(0));
    setDeviceType(2);
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_NE(std::string::npos, m_strStdout.find(kDeviceTypeHead));
    EXPECT_TRUE(reports(m_strStdout, kDeviceTypeTail));
    EXPECT_EQ((Strings{"Style_dome", "StyleDiversity_dome"}), tabs(style()));
    EXPECT_EQ(2, m_stConf.nDeviceType);
    // The error log keeps a report cut to its buffer, terminated.
    const std::string strLog = readFile("/mnt/mtd/log/SensorError.log");
    EXPECT_NE(std::string::npos, strLog.find(kDeviceTypeHead));
    EXPECT_EQ(std::string::npos, strLog.find("DOMECORE_THERMAL_DEVICE"));
}

TEST_F(SystemConfigTest, TheModuleTextsAreCopiedAndCutToTheirFieldsAndGiveTheSchemeCount) {
    setDeviceType(1);
    const std::string strDetail = "(max_scheme=6)" + std::string(600, 'd');
    m_objModule.setDetail(strDetail);
    m_objModule.setParameters(std::string(300, 'p'));
    init(1);
    EXPECT_EQ(3, m_stConf.moduleConfig.nModuleId);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szName);
    EXPECT_STREQ("xxx", m_stConf.moduleConfig.szVersion);
    EXPECT_EQ(strDetail.substr(0, 511), std::string(m_stConf.moduleConfig.szDetail));
    EXPECT_EQ(std::string(255, 'p'), std::string(m_stConf.moduleConfig.szParameters));
    EXPECT_EQ(6u, m_stConf.nSchemeSum);
    EXPECT_EQ(nullptr, m_stConf.pUIFiles);
    // The scheme count comes from the detail field (read as DetailNumberTest
    // shows), 4 without it or above 16.
    for (const std::pair<const char*, u32>& stCase : std::vector<std::pair<const char*, u32>>{
             {"(isInfrared=1)", 4}, {"(max_scheme=0)", 0}, {"(max_scheme=16)", 16}, {"(max_scheme=17)", 4}, {"(max_scheme=-1)", 4}}) {
        m_objModule.setDetail(stCase.first);
        init(1);
        EXPECT_EQ(stCase.second, m_stConf.nSchemeSum) << stCase.first;
    }
}

TEST_F(SystemConfigTest, AMissingStyleDocumentIsReported) {
    setDeviceType(1);
    removeFile(std::string(kStyleDir) + "Style.xml");
    EXPECT_EQ(SNS_SUCCESS, init(1));
    EXPECT_EQ("", style());
    EXPECT_TRUE(reports(m_strStdout, "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                                     "getFileLen(strStyleFileName.c_str())) > 0"));
    EXPECT_TRUE(reports(m_strStdout, "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)"));
    EXPECT_TRUE(fileExists("/tmp/merge_style_ch1.xml"));
    // Without the diversity document the base stays as printed.
    setDeviceType(4);
    removeFile(std::string(kDiversityDir) + "StyleDiversity_dome.xml");
    init(1);
    EXPECT_EQ((Strings{"Style_dome"}), tabs(style()));
    EXPECT_TRUE(reports(m_strStdout, "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                                     "getFileLen(strStyleDivFileName.c_str())) > 0"));
}

TEST_F(SystemConfigTest, UinitFreesTheOwnedTextsOnce) {
    setDeviceType(1);
    init(1);
    ASSERT_NE(nullptr, m_stConf.szUIStyle);
    UIFileInfo arrFiles[2] = {{1, strdup("lang1"), strdup("common1")}, {2, nullptr, strdup("common2")}};
    m_stConf.pUIFiles = arrFiles;
    m_stConf.nUIFileSum = 2;
    uinitSysConf(&m_stConf);
    EXPECT_EQ(nullptr, m_stConf.szUIStyle);
    EXPECT_EQ(nullptr, arrFiles[0].szLanguageFile);
    EXPECT_EQ(nullptr, arrFiles[1].szCommonFile);
    uinitSysConf(&m_stConf);
    m_stConf.pUIFiles = nullptr;
    m_stConf.nUIFileSum = 0;
    uinitSysConf(nullptr);
}

}  // namespace
