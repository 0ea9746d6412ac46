// The fixture of the robustness tests: an ir-bullet device with quiet
// diagnostics, controllers of channel 1, the configuration directory (which
// the fault layer watches) and the file images the tests compare.
#ifndef SENSORDLL_TESTS_ROBUSTNESS_FIXTURE_H
#define SENSORDLL_TESTS_ROBUSTNESS_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "FaultFs.h"
#include "HostSimulation.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"

class RobustnessFixture : public DeviceFixture {
public:
    static constexpr const char* kConfigDir = "/mnt/mtd/code/config_file";

    static std::string schemeName(int p_nScheme) { return "sensor1_" + std::to_string(p_nScheme) + ".cfg"; }
    static std::string schemePath(int p_nScheme) { return std::string(kConfigDir) + "/" + schemeName(p_nScheme); }
    static const char* versionName() { return "snsversion.cfg"; }

    // The scheme-file image of records, and the records of an image.
    static std::string image(const KeyVal* p_pRecords, u32 p_nCount) {
        std::string strImage;
        for (u32 i = 0; i < p_nCount; ++i)
            for (u32 nWord : {p_pRecords[i].key, p_pRecords[i].value})
                for (int nShift = 0; nShift < 32; nShift += 8) strImage += static_cast<char>(nWord >> nShift);
        return strImage;
    }
    static std::vector<KeyVal> records(const std::string& p_strImage) {
        std::vector<KeyVal> vecRecords;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strImage.data());
        for (size_t i = 0; i + 8 <= p_strImage.size(); i += 8) {
            const u32 nKey = p[i] | p[i + 1] << 8 | p[i + 2] << 16 | static_cast<u32>(p[i + 3]) << 24;
            const u32 nValue = p[i + 4] | p[i + 5] << 8 | p[i + 6] << 16 | static_cast<u32>(p[i + 7]) << 24;
            vecRecords.push_back({nKey, nValue});
        }
        return vecRecords;
    }
    static int valueOf(const std::string& p_strImage, u32 p_nKey) {
        for (const KeyVal& stRecord : records(p_strImage))
            if (stRecord.key == p_nKey) return static_cast<int>(stRecord.value);
        return -12345;
    }
    static std::string withValue(const std::string& p_strImage, u32 p_nKey, u32 p_nValue) {
        std::vector<KeyVal> vecRecords = records(p_strImage);
        for (KeyVal& stRecord : vecRecords) {
            if (stRecord.key == p_nKey) {
                stRecord.value = p_nValue;
                break;
            }
        }
        return image(vecRecords.data(), static_cast<u32>(vecRecords.size()));
    }
    static bool isTemporary(const std::string& p_strName) {
        return p_strName.size() > 4 && p_strName.compare(p_strName.size() - 4, 4, ".tmp") == 0;
    }
    // The image without its temporary files.
    static faultfs::Image lasting(const faultfs::Image& p_mapImage) {
        faultfs::Image mapLasting;
        for (const auto& stEntry : p_mapImage)
            if (!isTemporary(stEntry.first)) mapLasting.insert(stEntry);
        return mapLasting;
    }

protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        installDevice("ir-bullet");
        // Reports stay silent: thousands of runs fail on purpose.
        setDebugControl("-1\n0\n");
    }
    void TearDown() override {
        faultfs::disarm();
        for (std::unique_ptr<ISensorController>& pController : m_vecControllers) pController->uinit();
        m_vecAccess.clear();
        m_vecControllers.clear();
        setshowBeawayFalg(true);
        ISensorController::m_nChanneldDosomething = -1;
        ISensorController::m_nPassKeycmd = -1;
        DeviceFixture::TearDown();
    }

    // A controller of the channel given the video module, owned by the
    // fixture (shut down at the end of the test).
    ISensorController& makeController(int p_nChannel = 1) {
        m_vecControllers.emplace_back(new ISensorController());
        ISensorController& objController = *m_vecControllers.back();
        objController.setChannelID(p_nChannel);
        objController.setVideoStreamModule(&m_objVideo);
        m_vecAccess.emplace_back(new ISensorControllerTestAccess(objController));
        return objController;
    }
    ISensorControllerTestAccess& access(size_t p_nIndex) { return *m_vecAccess.at(p_nIndex); }

    // The first module of the root's moduleConfig.xml for its machine.
    ModuleConfigure moduleConfig() {
        MachineInfo objInfo;
        SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo);
        std::vector<ModuleConfigure> vecModules;
        ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                     objInfo.getHardwareCode(), vecModules);
        return vecModules.empty() ? ModuleConfigure() : vecModules[0];
    }

    std::string configDir() const { return hostPath(kConfigDir); }
    std::string schemeImage(ISensorControllerTestAccess& p_objAccess, u32 p_nScheme) {
        return image(p_objAccess.scheme(p_nScheme), p_objAccess.keyValSum());
    }

    // Starts a controller of channel 1 once so that every scheme file and the
    // version file exist, stores brightness 77 in scheme 1's file, and shuts
    // the controller down.
    void primeFiles() {
        {
            ISensorController objController;
            objController.setChannelID(1);
            objController.setVideoStreamModule(&m_objVideo);
            ASSERT_TRUE(objController.init(moduleConfig()));
            objController.uinit();
        }
        writeFile(schemePath(1), withValue(readFile(schemePath(1)), KEY_BRIGHTNESS, 77));
        ispsim::clearCalls();
    }

    // Values the ISP received with option set for a command, in order.
    static std::vector<int> sentValues(int p_nCmd) {
        std::vector<int> vecValues;
        for (const ispsim::Call& stCall : ispsim::setCalls(p_nCmd)) vecValues.push_back(stCall.valueIn());
        return vecValues;
    }

    std::string errorLog() const { return readFile("/mnt/mtd/log/SensorError.log"); }

    std::vector<std::unique_ptr<ISensorController>> m_vecControllers;
    std::vector<std::unique_ptr<ISensorControllerTestAccess>> m_vecAccess;
};

#endif
