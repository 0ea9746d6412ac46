// Records shared by the controller, its free functions and the host: the
// parameter record, the status values and the configuration records.
#ifndef SENSORDLL_SENSOR_TYPES_H
#define SENSORDLL_SENSOR_TYPES_H

#include <stdint.h>

typedef uint32_t u32;
typedef int64_t INT64;

#define SNS_SUCCESS 0

// One parameter. Eight bytes, key then value; stored little-endian on flash.
struct KeyVal {
    u32 key;
    u32 value;
};
static_assert(sizeof(KeyVal) == 8, "KeyVal is the 8-byte record of the scheme files");

// What the controller keeps of the module configuration the host gave init.
struct ModuleConfig {
    int nModuleId;
    char szName[32];
    char szVersion[10];
    char szParameters[256];
    char szDetail[512];
};

// One record of the UI-file table. Nothing in this library fills the table.
struct UIFileInfo {
    u32 nId;
    char* szLanguageFile;
    char* szCommonFile;
};

// The controller's record of what it was told at start-up.
struct SysConfig {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;
    u32 nUIFileSum;
    UIFileInfo* pUIFiles;
    char* szUIStyle;
    int nDeviceType;
};

#endif
