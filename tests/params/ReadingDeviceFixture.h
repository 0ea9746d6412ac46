// A controller brought up by init on one of the bundled devices, for tests
// that need the merged style, the factory set and the scheme files as
// start-up leaves them.
#ifndef SENSORDLL_TESTS_PARAMS_READING_DEVICE_FIXTURE_H
#define SENSORDLL_TESTS_PARAMS_READING_DEVICE_FIXTURE_H

#include <memory>
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"

class StartedDeviceFixture : public DeviceFixture {
protected:
    void TearDown() override {
        if (m_pController) m_pController->uinit();
        m_pController.reset();
        DeviceFixture::TearDown();
    }
    // Installs the device and runs init on channel 1.
    void start(const std::string& p_strDevice) {
        installDevice(p_strDevice);
        MachineInfo objInfo;
        ASSERT_TRUE(SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo));
        std::vector<ModuleConfigure> vecModules;
        ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                                 objInfo.getHardwareCode(), vecModules));
        ASSERT_FALSE(vecModules.empty());
        m_pController.reset(new ISensorController());
        m_pController->setVideoStreamModule(&m_objVideo);
        ASSERT_TRUE(m_pController->init(vecModules[0]));
    }
    // The value of a key in scheme 0's file (records little-endian).
    int fileValue(u32 p_nKey) const {
        const std::string strBytes = readFile("/mnt/mtd/code/config_file/sensor1_0.cfg");
        for (size_t i = 0; i + 8 <= strBytes.size(); i += 8)
            if (word(strBytes, i) == p_nKey) return static_cast<int>(word(strBytes, i + 4));
        return -12345;
    }
    static u32 word(const std::string& p_strBytes, size_t p_nAt) {
        u32 nValue = 0;
        for (size_t i = 0; i < 4; ++i)
            nValue |= static_cast<u32>(static_cast<unsigned char>(p_strBytes[p_nAt + i])) << (8 * i);
        return nValue;
    }

    std::unique_ptr<ISensorController> m_pController;
};

#endif
