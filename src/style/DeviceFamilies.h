// The device families: for each device type the machine information may
// give, its name, the style family its base style and diversity document come
// from, whether its second channel is the thermal sensor, and whether it is a
// thermal-only device that drives its one sensor as channel 2. setChannelID,
// the style choice of the system configuration and the simulator's summary
// read this one table. Header only: the simulator links the library as the
// camera does and sees none of its internal symbols.
#ifndef SENSORDLL_STYLE_DEVICE_FAMILIES_H
#define SENSORDLL_STYLE_DEVICE_FAMILIES_H

#include <stddef.h>

#include "MachineInfo.h"
#include "platform/CameraPaths.h"

namespace devicefamily {

enum StyleFamily {
    STYLE_PLAIN,  // Style.xml and StyleDiversity.xml
    STYLE_DOME,   // Style_dome.xml and StyleDiversity_dome.xml
};

struct DeviceFamily {
    int type;
    const char* name;
    StyleFamily style;
    bool thermalSecondChannel;
    bool thermalOnly;
};

// Every known device type once. A type that is not here is refused by the
// system configuration and takes the dome styles.
inline const DeviceFamily* deviceFamilies(size_t& p_nCount) {
    // clang-format off
    static const DeviceFamily s_arrFamilies[] = {
        // type                                       name                                 style        thermal 2nd  thermal only
        {DeviceType::IPCAMERA,                          "IPCAMERA",                          STYLE_PLAIN, false,       false},
        {DeviceType::FACE_DETECT,                       "FACE_DETECT",                       STYLE_PLAIN, false,       false},
        {DeviceType::VEHICLE_DETECT,                    "VEHICLE_DETECT",                    STYLE_PLAIN, false,       false},
        {DeviceType::AIMULTI_OBJECT_DETECT,             "AIMULTI_OBJECT_DETECT",             STYLE_PLAIN, false,       false},
        {DeviceType::IPDOME,                            "IPDOME",                            STYLE_DOME,  false,       false},
        {DeviceType::LPR,                               "LPR",                               STYLE_PLAIN, false,       false},
        {DeviceType::IPP,                               "IPP",                               STYLE_PLAIN, false,       false},
        {DeviceType::HUMAN_TEMPERATURE,                 "HUMAN_TEMPERATURE",                 STYLE_PLAIN, false,       false},
        {DeviceType::THERMAL_DEVICE,                    "THERMAL_DEVICE",                    STYLE_PLAIN, true,        true},
        {DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE,      "THERMAL_DOUBLE_SENSOR_DEVICE",      STYLE_PLAIN, true,        false},
        {DeviceType::FISHEYE,                           "FISHEYE",                           STYLE_PLAIN, false,       false},
        {DeviceType::DOMECORE,                          "DOMECORE",                          STYLE_DOME,  false,       false},
        {DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE, "THERMAL_DOUBLE_SENSOR_DOME_DEVICE", STYLE_DOME,  true,        false},
        {DeviceType::BINOCULAR_DEVICE,                  "BINOCULAR_DEVICE",                  STYLE_PLAIN, true,        false},
        {DeviceType::THERMAL_IPDOME,                    "THERMAL_IPDOME",                    STYLE_DOME,  true,        false},
        {DeviceType::DOMECORE_THERMAL_DEVICE,           "DOMECORE_THERMAL_DEVICE",           STYLE_DOME,  false,       false},
    };
    // clang-format on
    p_nCount = sizeof(s_arrFamilies) / sizeof(s_arrFamilies[0]);
    return s_arrFamilies;
}

// The family of a device type; nullptr for a type the table does not have.
inline const DeviceFamily* findDeviceFamily(int p_nType) {
    size_t nCount = 0;
    const DeviceFamily* pFamilies = deviceFamilies(nCount);
    for (size_t i = 0; i < nCount; ++i)
        if (pFamilies[i].type == p_nType) return &pFamilies[i];
    return nullptr;
}

// Whether channel p_nChannel of a device of this type is its thermal sensor.
inline bool isThermalChannel(int p_nType, int p_nChannel) {
    const DeviceFamily* pFamily = findDeviceFamily(p_nType);
    return p_nChannel == 2 && pFamily != nullptr && pFamily->thermalSecondChannel;
}

// The base style and diversity document of a channel: the thermal pair for a
// thermal channel, else the pair of the type's style family; an unknown type
// takes the dome pair.
inline void chooseStyleFiles(int p_nType, int p_nChannel, const char*& p_szStyle, const char*& p_szDiversity) {
    const DeviceFamily* pFamily = findDeviceFamily(p_nType);
    if (isThermalChannel(p_nType, p_nChannel)) {
        p_szStyle = camerapath::THERMAL_STYLE_FILE;
        p_szDiversity = camerapath::THERMAL_STYLE_DIVERSITY_FILE;
    } else if (pFamily != nullptr && pFamily->style == STYLE_PLAIN) {
        p_szStyle = camerapath::STYLE_FILE;
        p_szDiversity = camerapath::STYLE_DIVERSITY_FILE;
    } else {
        p_szStyle = camerapath::DOME_STYLE_FILE;
        p_szDiversity = camerapath::DOME_STYLE_DIVERSITY_FILE;
    }
}

}  // namespace devicefamily

#endif
