// Host framework replacement: the machine information and the device types.
#ifndef ZTHOST_MACHINE_INFO_H
#define ZTHOST_MACHINE_INFO_H

#include <string>

class MachineInfo {
public:
    MachineInfo();
    ~MachineInfo();

    int getDeviceType() const;
    std::string getHardwareModel() const;
    std::string getHardwareCode() const;

    void setDeviceType(int p_nDeviceType);
    void setHardwareModel(const std::string& p_strModel);
    void setHardwareCode(const std::string& p_strCode);

private:
    int m_nDeviceType;
    std::string m_strHardwareModel;
    std::string m_strHardwareCode;
};

// Reads the machine-information file, a small INI text:
//   [machine]
//   deviceType=1
//   hardwareModel=Hi3516AV200
//   hardwareCode=IPC-B2-IR
// Unknown keys and sections are ignored; '#' and ';' start comments.
class SystemInfoParser {
public:
    // True when the file was read; on failure the record is left unchanged.
    static bool parseMachineInfo(const std::string& p_strPath, MachineInfo& p_objInfo);
};

class DeviceType {
public:
    enum {
        IPCAMERA = 1,
        IPDOME = 4,
        LPR = 8,
        FACE_DETECT = 9,
        VEHICLE_DETECT = 11,
        THERMAL_DEVICE = 13,
        THERMAL_DOUBLE_SENSOR_DEVICE = 14,
        HUMAN_TEMPERATURE = 15,
        IPP = 16,
        BINOCULAR_DEVICE = 17,
        AIMULTI_OBJECT_DETECT = 18,
        THERMAL_DOUBLE_SENSOR_DOME_DEVICE = 19,
        DOMECORE = 20,
        FISHEYE = 22,
        THERMAL_IPDOME = 23,
        DOMECORE_THERMAL_DEVICE = 104,
    };

    DeviceType();
    ~DeviceType();
    void setDeviceTypeId(int p_nId);
    int getDeviceTypeId() const;

private:
    int m_nId;
};

#endif
