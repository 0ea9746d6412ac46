// A device fixture owning the controllers a test makes or starts through the
// camera builder (shut down at its end, with the cross-channel request
// cleared), with the scheme-file images and what the ISP and the error log
// received.
#ifndef SENSORDLL_TESTS_STARTED_CONTROLLERS_H
#define SENSORDLL_TESTS_STARTED_CONTROLLERS_H

#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SimulatedCamera.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeFiles.h"

class StartedControllers : public DeviceFixture {
public:
    // The folder of the scheme and version files.
    static inline const std::string kConfigDir =
        std::string(camerapath::VERSION_FILE).substr(0, std::string(camerapath::VERSION_FILE).rfind('/'));
    // A visible channel's scheme file, and a channel's merged style.
    static std::string schemePath(int p_nChannel, int p_nScheme) {
        return schemefiles::schemeFile(false, p_nChannel, p_nScheme);
    }
    static std::string mergedStylePath(int p_nChannel) {
        char szName[64];
        snprintf(szName, sizeof(szName), camerapath::MERGED_STYLE_FILE, p_nChannel);
        return szName;
    }

    static std::string image(const KeyVal* p_pRecords, u32 p_nCount) {
        return simdevice::schemeImage(p_pRecords, p_nCount);
    }
    static std::string image(const std::vector<KeyVal>& p_vecRecords) { return simdevice::schemeImage(p_vecRecords); }
    static std::vector<KeyVal> records(const std::string& p_strImage) { return simdevice::schemeRecords(p_strImage); }
    // Value of the first record of the key; -12345 when absent.
    static int valueOf(const std::vector<KeyVal>& p_vecRecords, u32 p_nKey) {
        for (const KeyVal& stRecord : p_vecRecords)
            if (stRecord.key == p_nKey) return static_cast<int>(stRecord.value);
        return -12345;
    }
    static int valueOf(const std::string& p_strImage, u32 p_nKey) { return valueOf(records(p_strImage), p_nKey); }
    static void setValue(std::vector<KeyVal>& p_vecRecords, u32 p_nKey, u32 p_nValue) {
        for (KeyVal& stRecord : p_vecRecords) {
            if (stRecord.key == p_nKey) {
                stRecord.value = p_nValue;
                return;
            }
        }
    }
    static std::string withValue(const std::string& p_strImage, u32 p_nKey, u32 p_nValue) {
        std::vector<KeyVal> vecRecords = records(p_strImage);
        setValue(vecRecords, p_nKey, p_nValue);
        return image(vecRecords);
    }

protected:
    void TearDown() override {
        for (std::unique_ptr<ISensorControllerTestAccess>& pAccess : m_vecAccess) pAccess->tearDownSchemes();
        for (std::unique_ptr<ISensorController>& pController : m_vecControllers) pController->uinit();
        m_vecAccess.clear();
        m_vecControllers.clear();
        setshowBeawayFalg(true);
        ISensorController::m_nChanneldDosomething = -1;
        ISensorController::m_nPassKeycmd = -1;
        DeviceFixture::TearDown();
    }

    // A controller of the channel, constructed now (it reads the machine
    // information as it stands) and given the video module.
    ISensorController& makeController(int p_nChannel = 1) {
        m_vecControllers.emplace_back(new ISensorController());
        ISensorController& objController = *m_vecControllers.back();
        objController.setChannelID(p_nChannel);
        objController.setVideoStreamModule(&m_objVideo);
        m_vecAccess.emplace_back(new ISensorControllerTestAccess(objController));
        return objController;
    }
    ISensorController& controller(size_t p_nIndex = 0) { return *m_vecControllers.at(p_nIndex); }
    ISensorControllerTestAccess& access(size_t p_nIndex = 0) { return *m_vecAccess.at(p_nIndex); }

    // A camera of the bundled profile in this test's root, talking to m_objVideo.
    simdevice::Camera camera(const std::string& p_strProfile = "ir-bullet") const {
        return simdevice::Camera(p_strProfile).devices(bundledDevicesDir()).inRoot(root()).videoModule(&m_objVideo);
    }
    // Brings the camera up; its controller is controller(n) and access(n) for
    // the next n. Whether it started.
    bool start(const simdevice::Camera& p_objCamera) {
        std::unique_ptr<simdevice::RunningCamera> pCamera = p_objCamera.start();
        m_vecControllers.push_back(std::move(pCamera->controllers.back()));
        pCamera->controllers.clear();
        m_vecAccess.emplace_back(new ISensorControllerTestAccess(*m_vecControllers.back()));
        return pCamera->started;
    }

    // A controller of channel 1 started and shut down again, so that what a
    // start writes is on disk; whether the start succeeded.
    bool startAndStop() { return camera("").start()->started; }

    ModuleConfigure moduleConfig(size_t p_nModule = 0, const std::string& p_strDetail = "") {
        return simdevice::moduleConfig(p_nModule, p_strDetail);
    }

    // Values the ISP received with option set for a command, in order.
    static std::vector<int> sentValues(int p_nCmd) {
        std::vector<int> vecValues;
        for (const ispsim::Call& stCall : ispsim::setCalls(p_nCmd)) vecValues.push_back(stCall.valueIn());
        return vecValues;
    }

    std::string errorLog() const { return readFile(camerapath::ERROR_LOG_FILE); }

    std::vector<std::unique_ptr<ISensorController>> m_vecControllers;
    std::vector<std::unique_ptr<ISensorControllerTestAccess>> m_vecAccess;
};

#endif
