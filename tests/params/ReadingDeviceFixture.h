// A controller brought up by init on one of the bundled devices, with its
// video module connected, for tests that need the merged style, the factory
// set and the scheme files as start-up leaves them.
#ifndef SENSORDLL_TESTS_PARAMS_READING_DEVICE_FIXTURE_H
#define SENSORDLL_TESTS_PARAMS_READING_DEVICE_FIXTURE_H

#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"

class StartedDeviceFixture : public DeviceFixture {
protected:
    void TearDown() override {
        if (m_pController) m_pController->uinit();
        m_pAccess.reset();
        m_pController.reset();
        DeviceFixture::TearDown();
    }

    // Installs the device and runs init on the given channel.
    void start(const std::string& p_strDevice, int p_nChannel = 1) {
        installDevice(p_strDevice);
        MachineInfo objInfo;
        ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo));
        std::vector<ModuleConfigure> vecModules;
        ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                                 objInfo.getHardwareCode(), vecModules));
        ASSERT_FALSE(vecModules.empty());
        m_pController.reset(new ISensorController());
        m_pAccess.reset(new ISensorControllerTestAccess(*m_pController));
        m_pController->setChannelID(p_nChannel);
        m_pController->setVideoStreamModule(&m_objVideo);
        ASSERT_TRUE(m_pController->init(vecModules[0]));
    }

    // The current scheme's file as records.
    std::vector<KeyVal> schemeFile() const {
        const std::string strBytes = readFile(schemeFileName());
        std::vector<KeyVal> vecRecords;
        for (size_t i = 0; i + 8 <= strBytes.size(); i += 8)
            vecRecords.push_back({littleEndian(strBytes, i), littleEndian(strBytes, i + 4)});
        return vecRecords;
    }
    std::string schemeFileName() const {
        return "/mnt/mtd/code/config_file/sensor" + std::to_string(m_pAccess->cameraId()) + "_" +
               std::to_string(m_pAccess->curScheme()) + ".cfg";
    }
    static u32 littleEndian(const std::string& p_strBytes, size_t p_nAt) {
        u32 nValue = 0;
        for (size_t i = 0; i < 4; ++i)
            nValue |= static_cast<u32>(static_cast<unsigned char>(p_strBytes[p_nAt + i])) << (8 * i);
        return nValue;
    }
    static int fileValue(const std::vector<KeyVal>& p_vecRecords, u32 p_nKey) {
        for (const KeyVal& stRecord : p_vecRecords)
            if (stRecord.key == p_nKey) return static_cast<int>(stRecord.value);
        return -12345;
    }

    std::unique_ptr<ISensorController> m_pController;
    std::unique_ptr<ISensorControllerTestAccess> m_pAccess;
};

#endif
