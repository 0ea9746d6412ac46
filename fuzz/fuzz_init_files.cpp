// Start-up reading fuzzed scheme files and a fuzzed version file, then a few
// operations that read and write them, and shut-down. The input format is
// fuzzinputs::decodeSchemeFiles (FuzzInputs.h): well-formed files with a few
// changes are short inputs.
//
// The device is the ir-bullet with its style cut down to the tabs of the
// scheme, image, exposure and day/night settings: the start-up parses and
// applies the whole style, and the full one would cost most of each run.
//
// This program stands in for the host's shell runner and thread start: the
// clean-up command of a version change removes the files in process (a shell
// per input would cost more than the start-up itself) and must be exactly the
// documented one; the sensor thread is not started (see GThread::start).
//
// Properties: init succeeds; every scheme array has the factory set's keys in
// its order, with the values its file holds for them (fuzzinputs::loadedByKey)
// when the version matched and the factory values otherwise, as far as the
// start-up's switch leaves them; afterwards every scheme file exists and the
// version file holds exactly this build's version.
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceRoot.h"
#include "FuzzInputs.h"
#include "FuzzSupport.h"
#include "GThread.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "SimulatedVideoModule.h"
#include "StringHandler.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeFiles.h"

namespace {

const u32 VERSION = 8;

std::vector<KeyVal> g_vecFactory;
std::string g_strFactoryImage;
ModuleConfigure* g_pConfig = nullptr;
SimulatedVideoModule* g_pVideo = nullptr;

std::string schemePath(int p_nScheme) { return schemefiles::schemeFile(false, 1, p_nScheme); }

}  // namespace

// The host's thread start, reporting success without a thread: init runs
// one pass of the sensor thread itself, and joining a real thread at every
// shut-down would cost more than the rest of the run.
int GThread::start() { return 1; }

// The host's shell runner, for the channel's clean-up command only.
int sy_system(const char* p_szCommand, int) {
    FUZZ_CHECK(p_szCommand != nullptr);
    char szCleanup[128];
    schemefiles::formatCleanupCommand(false, 1, szCleanup, sizeof(szCleanup));
    FUZZ_CHECK(strcmp(p_szCommand, szCleanup) == 0);
    for (int i = 0; i < fuzzinputs::SchemeFiles::kSchemes; ++i) unlink(DeviceRoot::resolve(schemePath(i)).c_str());
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("ir-bullet");
    const char* const szStyle = camerapath::STYLE_FILE;
    fuzzsupport::writeFile(szStyle, fuzzinputs::cutDownStyle(fuzzsupport::readFile(szStyle)));
    // Without a control file the traces cost one failing access() each.
    fuzzsupport::removeFile(camerapath::DEBUG_CONTROL_FILE);
    g_vecFactory = fuzzsupport::factorySet();
    g_strFactoryImage = fuzzinputs::fileImage(g_vecFactory);
    g_pConfig = new ModuleConfigure(fuzzsupport::moduleConfig());
    g_pVideo = new SimulatedVideoModule();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const fuzzinputs::SchemeFiles stFiles = fuzzinputs::decodeSchemeFiles(p_pData, p_nSize, g_strFactoryImage);
    const int nSchemes = fuzzinputs::SchemeFiles::kSchemes;

    fuzzsupport::removeFile(camerapath::VERSION_FILE);
    if (stFiles.bVersion) fuzzsupport::writeFile(camerapath::VERSION_FILE, stFiles.strVersion);
    const bool bVersionMatches =
        stFiles.bVersion && stFiles.strVersion.size() >= 4 && fuzzinputs::le32(stFiles.strVersion, 0) == VERSION;
    for (int i = 0; i < nSchemes; ++i) {
        fuzzsupport::removeFile(schemePath(i));
        if (stFiles.abPresent[i]) fuzzsupport::writeFile(schemePath(i), stFiles.astrSchemes[i]);
    }
    fuzzsupport::removeFile(schemePath(0) + ".tmp");
    fuzzsupport::removeFile(std::string(camerapath::VERSION_FILE) + ".tmp");
    if (stFiles.bLeftovers) {
        fuzzsupport::writeFile(schemePath(0) + ".tmp", stFiles.strSchemeLeftover);
        fuzzsupport::writeFile(std::string(camerapath::VERSION_FILE) + ".tmp", stFiles.strVersionLeftover);
    }

    ispsim::clearCalls();
    g_pVideo->clearNotifications();
    std::unique_ptr<ISensorController> pController(new ISensorController());
    pController->setChannelID(1);
    pController->setVideoStreamModule(g_pVideo);
    FUZZ_CHECK(pController->init(*g_pConfig));
    FUZZ_CHECK(pController->getSensorStatus());

    ISensorControllerTestAccess objAccess(*pController);
    const u32 nKeyValSum = objAccess.keyValSum();
    FUZZ_CHECK(nKeyValSum == g_vecFactory.size());
    for (int i = 0; i < nSchemes; ++i) {
        const bool bFromFile = bVersionMatches && stFiles.abPresent[i];
        const std::vector<KeyVal> vecExpected =
            bFromFile ? fuzzinputs::loadedByKey(stFiles.astrSchemes[i], g_vecFactory) : g_vecFactory;
        // The one switch of the start-up stores what the handlers make of the
        // scheme it makes current, passes day/night keys to scheme 1 and the
        // scheme mode to every scheme; the other values stand as loaded.
        const bool bValuesStand = i != objAccess.curScheme() && i != 1;
        for (size_t j = 0; j < nKeyValSum; ++j) {
            const KeyVal& stLoaded = objAccess.scheme(static_cast<u32>(i))[j];
            FUZZ_CHECK(stLoaded.key == vecExpected[j].key);
            FUZZ_CHECK(!bValuesStand || stLoaded.key == KEY_SCHEME_MODE || stLoaded.value == vecExpected[j].value);
        }
        FUZZ_CHECK(fuzzsupport::fileExists(schemePath(i)));
    }
    FUZZ_CHECK(fuzzsupport::readFile(camerapath::VERSION_FILE) == std::string("\x08\x00\x00\x00", 4));

    std::string strAll;
    pController->getAllParameters(strAll);
    pController->flush();
    pController->resetToLastParameters();
    pController->uinit();
    return 0;
}
