// System configuration: the controller's record of its module configuration,
// scheme count, device type and merged UI style, filled once per start.
#include "sensor.h"

#include <stdlib.h>
#include <string.h>

#include <string>

#include "MachineInfo.h"
#include "SensorFile.h"
#include "diag/SensorReport.h"
#include "platform/CameraPaths.h"
#include "style/DeviceFamilies.h"

namespace {

const u32 DEFAULT_SCHEME_SUM = 4;
// Every scheme costs a value array and a file on flash; a larger count (a
// negative text reads as a huge one) is a broken detail text, not a request.
const u32 MAX_SCHEME_SUM = 16;

const char* const DEVICE_TYPE_CHECK =
    "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT == p_stSysConf->nDeviceType || "
    "DeviceType::VEHICLE_DETECT == p_stSysConf->nDeviceType || DeviceType::AIMULTI_OBJECT_DETECT == "
    "p_stSysConf->nDeviceType || DeviceType::IPDOME == p_stSysConf->nDeviceType || DeviceType::LPR == "
    "p_stSysConf->nDeviceType || DeviceType::IPP == p_stSysConf->nDeviceType || DeviceType::HUMAN_TEMPERATURE == "
    "p_stSysConf->nDeviceType || DeviceType::THERMAL_DEVICE == p_stSysConf->nDeviceType || "
    "DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE == p_stSysConf->nDeviceType || DeviceType::FISHEYE == "
    "p_stSysConf->nDeviceType || DeviceType::DOMECORE == p_stSysConf->nDeviceType || "
    "DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE == p_stSysConf->nDeviceType || DeviceType::BINOCULAR_DEVICE == "
    "p_stSysConf->nDeviceType || DeviceType::THERMAL_IPDOME == p_stSysConf->nDeviceType || "
    "DeviceType::DOMECORE_THERMAL_DEVICE == p_stSysConf->nDeviceType";

// The helpers below report for initSysConf.
const SensorReportCaller INIT_SYS_CONF = {"initSysConf", "int initSysConf(int, const ModuleConfigure&, SysConfig*)"};

// Copies a host text into a fixed field, cut to the field and terminated.
void copyField(char* p_szField, size_t p_nFieldSize, const std::string& p_strText, const char* p_szWhat) {
    size_t nLength = p_strText.size();
    if (nLength >= p_nFieldSize) {
        SENSOR_WARN_FOR(INIT_SYS_CONF, "%s of %u characters cut to %u\n", p_szWhat, static_cast<unsigned>(nLength),
                        static_cast<unsigned>(p_nFieldSize - 1));
        nLength = p_nFieldSize - 1;
    }
    memcpy(p_szField, p_strText.data(), nLength);
    p_szField[nLength] = '\0';
}

// A zero-filled malloc'd buffer of the file's length plus one, or null when
// none can be had (reported).
char* allocateFor(INT64 p_nFileLen) {
    const size_t nSize = static_cast<size_t>(p_nFileLen < 0 ? 0 : p_nFileLen) + 1;
    char* szBuffer = static_cast<char*>(calloc(nSize, 1));
    SENSOR_ASSERT_EXPR_FOR(INIT_SYS_CONF, szBuffer != nullptr, "NULL != calloc(file_len + 1, 1)", "file_len(%d)\n",
                           static_cast<int>(p_nFileLen));
    return szBuffer;
}

}  // namespace

// Fills the record for the channel (counted from 1). The style text it leaves
// in szUIStyle is malloc'd; uinitSysConf frees it.
int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf) {
    if (p_stSysConf == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_stSysConf", "");
        return -1;
    }
    memset(p_stSysConf, 0, sizeof(*p_stSysConf));
    ModuleConfig& stModule = p_stSysConf->moduleConfig;
    strcpy(stModule.szName, "xxx");
    strcpy(stModule.szVersion, "xxx");
    stModule.nModuleId = p_objModuleConfigure.getModuleId();
    copyField(stModule.szDetail, sizeof(stModule.szDetail), p_objModuleConfigure.getDetail(), "module detail");
    copyField(stModule.szParameters, sizeof(stModule.szParameters), p_objModuleConfigure.getParameters(),
              "module parameters");

    u32 nSchemeSum = 0;
    p_stSysConf->nSchemeSum =
        getDetailFieldTou32(stModule.szDetail, "max_scheme", &nSchemeSum) == 0 ? nSchemeSum : DEFAULT_SCHEME_SUM;
    if (p_stSysConf->nSchemeSum > MAX_SCHEME_SUM) {
        SENSOR_ASSERT_EXPR(false, "p_stSysConf->nSchemeSum <= MAX_SCHEME_SUM",
                           "max_scheme(%u) out of range, using %u\n", p_stSysConf->nSchemeSum, DEFAULT_SCHEME_SUM);
        p_stSysConf->nSchemeSum = DEFAULT_SCHEME_SUM;
    }

    MachineInfo machineInfo;
    const bool bMachineInfoRead = SystemInfoParser::parseMachineInfo(camerapath::MACHINE_INFO_FILE, machineInfo);
    SENSOR_ASSERT_EXPR(
        bMachineInfoRead,
        (std::string("SystemInfoParser::parseMachineInfo(\"") + camerapath::MACHINE_INFO_FILE + "\", machineInfo)")
            .c_str(),
        "");
    p_stSysConf->nDeviceType = machineInfo.getDeviceType();
    SENSOR_ASSERT_EXPR(devicefamily::findDeviceFamily(p_stSysConf->nDeviceType) != nullptr, DEVICE_TYPE_CHECK, "");

    const char* szStyleFile = nullptr;
    const char* szDiversityFile = nullptr;
    devicefamily::chooseStyleFiles(p_stSysConf->nDeviceType, p_nChannelID, szStyleFile, szDiversityFile);
    const std::string strStyleFileName = szStyleFile;
    const std::string strStyleDivFileName = szDiversityFile;

    const INT64 nStyleLen = getFileLen(strStyleFileName.c_str());
    p_stSysConf->szUIStyle = allocateFor(nStyleLen);
    if (p_stSysConf->szUIStyle != nullptr) {
        const int nRead = loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, nStyleLen);
        SENSOR_ASSERT_EXPR(nRead > 0,
                           "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                           "getFileLen(strStyleFileName.c_str())) > 0",
                           "");
    }

    const INT64 nDiversityLen = getFileLen(strStyleDivFileName.c_str());
    char* ui_styleDiversity = allocateFor(nDiversityLen);
    if (ui_styleDiversity != nullptr) {
        const int nRead = loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, nDiversityLen);
        SENSOR_ASSERT_EXPR(nRead > 0,
                           "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                           "getFileLen(strStyleDivFileName.c_str())) > 0",
                           "");
    }

    const int nMerged =
        mergeStyle(p_nChannelID, &p_stSysConf->moduleConfig, &p_stSysConf->szUIStyle, ui_styleDiversity);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nMerged,
                       "SNS_SUCCESS == mergeStyle(p_nChannelID,&p_stSysConf->moduleConfig, &p_stSysConf->szUIStyle, "
                       "ui_styleDiversity)",
                       "");
    free(ui_styleDiversity);
    return SNS_SUCCESS;
}

// Frees the texts the record owns and forgets them. The UI-file array itself
// belongs to whoever filled it.
void uinitSysConf(SysConfig* p_stSysConf) {
    if (p_stSysConf == nullptr) return;
    if (p_stSysConf->pUIFiles != nullptr) {
        for (u32 i = 0; i < p_stSysConf->nUIFileSum; ++i) {
            UIFileInfo& stFile = p_stSysConf->pUIFiles[i];
            if (stFile.szCommonFile != nullptr) {
                free(stFile.szCommonFile);
                stFile.szCommonFile = nullptr;
            }
            if (stFile.szLanguageFile != nullptr) {
                free(stFile.szLanguageFile);
                stFile.szLanguageFile = nullptr;
            }
        }
    }
    if (p_stSysConf->szUIStyle != nullptr) {
        free(p_stSysConf->szUIStyle);
        p_stSysConf->szUIStyle = nullptr;
    }
}
