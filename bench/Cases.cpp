// The measured host calls. Each is the call as the host makes it on an
// initialised controller of the device (or, for start-up, on a controller
// constructed for the purpose), chosen so that every timed call takes the
// same path: values alternate between two, schemes between two.
#include "Cases.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include <tinyxml.h>

#include "ControllerAccess.h"
#include "HostSimulation.h"
#include "SensorKeyTable.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "ia_ioctrl.h"
#include "platform/CameraPaths.h"

namespace bench {
namespace {

struct RowInfo {
    u32 key;
    const char* handler;
};
#define BENCH_ROW(name, key, command, handler) {key, #handler},
#define BENCH_STORED(name, key) {key, ""},
const RowInfo TABLE_ROWS[] = {SENSOR_KEY_TABLE(BENCH_ROW, BENCH_STORED, BENCH_ROW)};
#undef BENCH_ROW
#undef BENCH_STORED

const char* handlerOf(u32 p_nKey) {
    for (const RowInfo& stRow : TABLE_ROWS)
        if (stRow.key == p_nKey) return stRow.handler;
    return nullptr;
}

// Keys the apply step treats apart from the map, lens commands that a lock may
// hold back, and the infrared keys that are never read from the ISP: none of
// them stands for an ordinary parameter change.
bool isSpecialKey(u32 p_nKey) {
    static const u32 s_arrKeys[] = {
        KEY_EMPTY1,
        KEY_EMPTY2,
        KEY_EMPTY3,
        KEY_SCHEME_MODE,
        KEY_SCHEME_START_HOUR,
        KEY_SCHEME_START_MIN,
        KEY_SCHEME_END_HOUR,
        KEY_SCHEME_END_MIN,
        KEY_MIRROR,
        KEY_ANTI_SHAKE_SWITCH,
        KEY_NONE_COLOR_MODE,
        KEY_TEMPERATURE_STRIP_SWITCH,
        KEY_DN_MODE,
        KEY_DTN_THR,
        KEY_NTD_THR,
        KEY_DTN_H,
        KEY_DTN_M,
        KEY_NTD_H,
        KEY_NTD_M,
        KEY_LIGHT_TYPE,
        KEY_IR_SWITCH,
        KEY_IR_MODE,
        KEY_IR_MANUAL_STRG_NEAR,
        KEY_IR_MANUAL_STRG_MEDIUM,
        KEY_IR_MANUAL_STRG_FAR,
        KEY_IR_MODE_INTELL,
        KEY_IR_MANUAL_STRG_NEAR_INTELL,
        KEY_IR_MANUAL_STRG_MEDIUM_INTELL,
        KEY_IR_MANUAL_STRG_FAR_INTELL,
        KEY_WHITE_MODE,
        KEY_WHITE_MANUAL_STRG,
        KEY_WHITE_MANUAL_STRG_MEDIUM,
        KEY_WHITE_MANUAL_STRG_FAR,
        KEY_WHITE_MODE_INTELL,
        KEY_WHITE_MANUAL_STRG_INTELL,
        KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL,
        KEY_WHITE_MANUAL_STRG_FAR_INTELL,
    };
    for (u32 nKey : s_arrKeys)
        if (nKey == p_nKey) return true;
    return p_nKey >= KEY_AUTO_FOCUS_MODE && p_nKey <= KEY_LENS_RESET;
}

bool isPlainKey(u32 p_nKey) {
    const char* szHandler = handlerOf(p_nKey);
    return szHandler != nullptr && strcmp(szHandler, "doIaCmd") == 0 && !isSpecialKey(p_nKey);
}

// The first p_nCount keys of scheme 0, in its order, that the apply step sends
// straight to the ISP.
std::vector<u32> plainKeys(ISensorController& p_objController, size_t p_nCount) {
    ISensorControllerTestAccess objAccess(p_objController);
    std::vector<u32> vecKeys;
    const KeyVal* pScheme = objAccess.scheme(0);
    for (u32 i = 0; i < objAccess.keyValSum() && vecKeys.size() < p_nCount; ++i) {
        const u32 nKey = pScheme[i].key;
        bool bSeen = false;
        for (u32 nOther : vecKeys) bSeen = bSeen || nOther == nKey;
        if (!bSeen && isPlainKey(nKey)) vecKeys.push_back(nKey);
    }
    return vecKeys;
}

void makeCurrent(ISensorController& p_objController, int p_nScheme) {
    int nCurrent = -1;
    p_objController.getParamScheme(nCurrent);
    if (nCurrent != p_nScheme) p_objController.setParamScheme(p_nScheme);
}

std::vector<KeyVal> schemeRecords(ISensorController& p_objController, u32 p_nScheme) {
    ISensorControllerTestAccess objAccess(p_objController);
    const KeyVal* pScheme = objAccess.scheme(p_nScheme);
    return std::vector<KeyVal>(pScheme, pScheme + objAccess.keyValSum());
}

void changeKeys(std::vector<KeyVal>& p_vecRecords, const std::vector<u32>& p_vecKeys) {
    for (KeyVal& stRecord : p_vecRecords)
        for (u32 nKey : p_vecKeys)
            if (stRecord.key == nKey) stRecord.value += 1;
}

std::string textOf(const std::vector<KeyVal>& p_vecRecords) {
    std::string strText;
    keyval_st2str(strText, p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
    return strText;
}

// ---- start-up -------------------------------------------------------------

Case startCase(const std::string& p_strName, bool p_bFirstStart) {
    struct State {
        std::unique_ptr<ISensorController> pController;
    };
    std::shared_ptr<State> pState = std::make_shared<State>();
    Case stCase;
    stCase.name = p_strName;
    stCase.target = 1.5;
    stCase.exclusive = true;
    stCase.prepare = [p_bFirstStart](Device& p_objDevice, std::string&) {
        if (!p_bFirstStart) {
            std::unique_ptr<ISensorController> pPrimer = p_objDevice.makeController();
            pPrimer->init(p_objDevice.moduleConfigure());
            pPrimer->uinit();
        }
        return true;
    };
    stCase.between = [pState, p_bFirstStart](Device& p_objDevice) {
        pState->pController.reset();
        if (p_bFirstStart) p_objDevice.removeStoredFiles();
        p_objDevice.clearRecords();
        pState->pController = p_objDevice.makeController();
    };
    stCase.call = [pState](Device& p_objDevice) {
        pState->pController->init(p_objDevice.moduleConfigure());
        pState->pController->uinit();
    };
    stCase.finish = [pState](Device&) { pState->pController.reset(); };
    if (p_bFirstStart) stCase.beforeFloor = [](Device& p_objDevice) { p_objDevice.removeStoredFiles(); };
    return stCase;
}

// ---- parameters -----------------------------------------------------------

struct KeyState {
    ISensorController* pController = nullptr;
    int nKey = 0;
    int nValue = 0;
    bool bToggle = false;
};

// KEY_BRIGHTNESS where the device stores it as a plain key, else the first
// plain key of scheme 0.
bool chooseKey(Device& p_objDevice, KeyState& p_stState, std::string& p_strWhy) {
    p_stState.pController = &p_objDevice.steady();
    makeCurrent(*p_stState.pController, 0);
    std::vector<u32> vecKeys = plainKeys(*p_stState.pController, 1);
    u32 nValue = 0;
    if (p_stState.pController->getKeyValFromCache(0, KEY_BRIGHTNESS, nValue) != -1)
        vecKeys.insert(vecKeys.begin(), KEY_BRIGHTNESS);
    if (vecKeys.empty()) {
        p_strWhy = "no plain key in scheme 0";
        return false;
    }
    p_stState.nKey = static_cast<int>(vecKeys[0]);
    return p_stState.pController->getParameter(p_stState.nKey, p_stState.nValue);
}

Case setParameterCase(const std::string& p_strName, bool p_bChanged, bool p_bControlFile) {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = p_strName;
    stCase.target = 1.5;
    stCase.prepare = [pState, p_bControlFile](Device& p_objDevice, std::string& p_strWhy) {
        if (!chooseKey(p_objDevice, *pState, p_strWhy)) return false;
        if (p_bControlFile) p_objDevice.writeControlFile("1\n0\n");
        return true;
    };
    if (p_bChanged) {
        stCase.call = [pState](Device&) {
            pState->bToggle = !pState->bToggle;
            pState->pController->setParameter(pState->nKey, pState->nValue + (pState->bToggle ? 1 : 0), true);
        };
    } else {
        stCase.call = [pState](Device&) { pState->pController->setParameter(pState->nKey, pState->nValue, true); };
    }
    stCase.finish = [pState, p_bControlFile](Device& p_objDevice) {
        pState->pController->setParameter(pState->nKey, pState->nValue, true);
        if (p_bControlFile) p_objDevice.removeControlFile();
    };
    return stCase;
}

Case getParameterCase(const std::string& p_strName, bool p_bCached) {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = p_strName;
    stCase.prepare = [pState, p_bCached](Device& p_objDevice, std::string& p_strWhy) {
        if (!chooseKey(p_objDevice, *pState, p_strWhy)) return false;
        if (p_bCached) return true;
        // A key of the map that the scheme does not hold, read from the ISP.
        for (const RowInfo& stRow : TABLE_ROWS) {
            u32 nValue = 0;
            if (!isPlainKey(stRow.key) || pState->pController->getKeyValFromCache(0, stRow.key, nValue) != -1) continue;
            int nRead = 0;
            if (!pState->pController->getParameter(static_cast<int>(stRow.key), nRead)) continue;
            pState->nKey = static_cast<int>(stRow.key);
            return true;
        }
        p_strWhy = "every readable key is in the scheme";
        return false;
    };
    stCase.call = [pState](Device&) {
        int nValue = 0;
        pState->pController->getParameter(pState->nKey, nValue);
    };
    return stCase;
}

// Scheme 0 and the same scheme with ten plain keys changed, as records and as
// key/value text.
struct TwoSchemes {
    ISensorController* pController = nullptr;
    std::vector<KeyVal> vecBase;
    std::vector<KeyVal> vecChanged;
    std::string strBase;
    std::string strChanged;
    bool bToggle = false;
};

bool prepareTwoSchemes(Device& p_objDevice, TwoSchemes& p_stState, std::string& p_strWhy) {
    p_stState.pController = &p_objDevice.steady();
    makeCurrent(*p_stState.pController, 0);
    const std::vector<u32> vecKeys = plainKeys(*p_stState.pController, 10);
    if (vecKeys.size() < 10) {
        p_strWhy = "fewer than 10 plain keys in scheme 0";
        return false;
    }
    p_stState.vecBase = schemeRecords(*p_stState.pController, 0);
    p_stState.vecChanged = p_stState.vecBase;
    changeKeys(p_stState.vecChanged, vecKeys);
    p_stState.strBase = textOf(p_stState.vecBase);
    p_stState.strChanged = textOf(p_stState.vecChanged);
    return true;
}

Case schemeTextCase() {
    std::shared_ptr<TwoSchemes> pState = std::make_shared<TwoSchemes>();
    Case stCase;
    stCase.name = "setParameters/scheme-text";
    stCase.prepare = [pState](Device& p_objDevice, std::string& p_strWhy) {
        return prepareTwoSchemes(p_objDevice, *pState, p_strWhy);
    };
    stCase.call = [pState](Device&) {
        pState->bToggle = !pState->bToggle;
        pState->pController->setParameters(pState->bToggle ? pState->strChanged : pState->strBase, true);
    };
    stCase.finish = [pState](Device&) { pState->pController->setParameters(pState->strBase, true); };
    return stCase;
}

// ---- schemes --------------------------------------------------------------

Case switchCase() {
    std::shared_ptr<TwoSchemes> pState = std::make_shared<TwoSchemes>();
    Case stCase;
    stCase.name = "setParamScheme/10-keys";
    stCase.prepare = [pState](Device& p_objDevice, std::string& p_strWhy) {
        if (!prepareTwoSchemes(p_objDevice, *pState, p_strWhy)) return false;
        ISensorControllerTestAccess objAccess(*pState->pController);
        memcpy(objAccess.scheme(1), pState->vecChanged.data(), pState->vecChanged.size() * sizeof(KeyVal));
        return true;
    };
    stCase.call = [pState](Device&) {
        pState->bToggle = !pState->bToggle;
        pState->pController->setParamScheme(pState->bToggle ? 1 : 0);
    };
    stCase.finish = [pState](Device&) { makeCurrent(*pState->pController, 0); };
    return stCase;
}

Case forcedSwitchCase() {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = "switch_to/forced";
    stCase.prepare = [pState](Device& p_objDevice, std::string&) {
        pState->pController = &p_objDevice.steady();
        makeCurrent(*pState->pController, 0);
        return true;
    };
    stCase.call = [pState](Device&) { pState->pController->switch_to(0, true); };
    return stCase;
}

// ---- reading and the UI ---------------------------------------------------

// The merged style's element with "id" 49, whose value chooses the answer of
// getAllParameters.
TiXmlElement* findId49(TiXmlElement* p_pElement) {
    for (; p_pElement != nullptr; p_pElement = p_pElement->NextSiblingElement()) {
        const char* szId = p_pElement->Attribute("id");
        if (szId != nullptr && strcmp(szId, "49") == 0) return p_pElement;
        if (TiXmlElement* pFound = findId49(p_pElement->FirstChildElement())) return pFound;
    }
    return nullptr;
}

Case allParametersCase(bool p_bFromFlash) {
    struct State {
        ISensorController* pController = nullptr;
        std::string strPath;
        std::string strOriginal;
    };
    std::shared_ptr<State> pState = std::make_shared<State>();
    Case stCase;
    stCase.name = p_bFromFlash ? "getAllParameters/flash" : "getAllParameters/memory";
    stCase.target = 1.3;
    stCase.prepare = [pState, p_bFromFlash](Device& p_objDevice, std::string& p_strWhy) {
        pState->pController = &p_objDevice.steady();
        makeCurrent(*pState->pController, 0);
        char szMerged[64];
        snprintf(szMerged, sizeof(szMerged), camerapath::MERGED_STYLE_FILE, p_objDevice.profile().channel);
        pState->strPath = p_objDevice.hostPath(szMerged);
        pState->strOriginal = readHostFile(pState->strPath);
        TiXmlDocument objDoc;
        objDoc.Parse(pState->strOriginal.c_str(), nullptr, TIXML_ENCODING_UTF8);
        TiXmlElement* pElement = findId49(objDoc.RootElement());
        if (pElement == nullptr) {
            if (p_bFromFlash) return true;
            p_strWhy = "the merged style has no element with id 49";
            return false;
        }
        int nValue = 0;
        pElement->QueryIntAttribute("value", &nValue);
        if ((nValue >= 200) == p_bFromFlash) return true;
        pElement->SetAttribute("value", p_bFromFlash ? 250 : 100);
        objDoc.SaveFile(pState->strPath.c_str());
        return true;
    };
    stCase.call = [pState](Device&) {
        std::string strText;
        pState->pController->getAllParameters(strText);
    };
    stCase.finish = [pState](Device&) { writeHostFile(pState->strPath, pState->strOriginal); };
    return stCase;
}

Case styleCase() {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = "getUIStyleFile";
    stCase.target = 1.3;
    stCase.prepare = [pState](Device& p_objDevice, std::string&) {
        pState->pController = &p_objDevice.steady();
        return true;
    };
    stCase.call = [pState](Device&) { pState->pController->getUIStyleFile(); };
    return stCase;
}

Case rangeCase() {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = "getSensorParamRange";
    stCase.prepare = [pState](Device& p_objDevice, std::string& p_strWhy) {
        pState->pController = &p_objDevice.steady();
        for (int nCmd : {KEY_MAX_SHUTTER, KEY_FIX_SHUTTER, KEY_MIN_SHUTTER, KEY_MIN_SHUTTER_NIGHT,
                         KEY_MAX_SHUTTER_NIGHT, KEY_IRIS_POSITION, KEY_AUTO_FOCUS_NEAR_LIMIT}) {
            int nDefault = 0;
            std::string strRange;
            if (pState->pController->getSensorParamRange(nCmd, nDefault, strRange)) {
                pState->nKey = nCmd;
                return true;
            }
        }
        p_strWhy = "the ISP lists none of the range commands";
        return false;
    };
    stCase.call = [pState](Device&) {
        int nDefault = 0;
        std::string strRange;
        pState->pController->getSensorParamRange(pState->nKey, nDefault, strRange);
    };
    return stCase;
}

// ---- flush ----------------------------------------------------------------

Case flushCase() {
    std::shared_ptr<KeyState> pState = std::make_shared<KeyState>();
    Case stCase;
    stCase.name = "flush";
    stCase.prepare = [pState](Device& p_objDevice, std::string& p_strWhy) {
        pState->pController = &p_objDevice.steady();
        makeCurrent(*pState->pController, 0);
        const int nRet = pState->pController->flush();
        if (nRet == SNS_SUCCESS) return true;
        p_strWhy = "flush refuses scheme 0 (" + std::to_string(nRet) + ")";
        return false;
    };
    stCase.call = [pState](Device&) { pState->pController->flush(); };
    return stCase;
}

double monotonicNs() {
    struct timespec stNow;
    clock_gettime(CLOCK_MONOTONIC, &stNow);
    return static_cast<double>(stNow.tv_sec) * 1e9 + static_cast<double>(stNow.tv_nsec);
}

double& startUpWaitScale() {
    static double s_dScale = 0.0;
    return s_dScale;
}

CaseRun*& openRun() {
    static CaseRun* s_pOpen = nullptr;
    return s_pOpen;
}

}  // namespace

std::vector<Case> allCases() {
    return {
        startCase("init+uinit/first-start", true),
        startCase("init+uinit/restart", false),
        setParameterCase("setParameter/changed", true, false),
        setParameterCase("setParameter/unchanged", false, false),
        setParameterCase("setParameter/changed/control-file", true, true),
        setParameterCase("setParameter/unchanged/control-file", false, true),
        getParameterCase("getParameter/cached", true),
        getParameterCase("getParameter/uncached", false),
        schemeTextCase(),
        switchCase(),
        forcedSwitchCase(),
        allParametersCase(true),
        allParametersCase(false),
        styleCase(),
        rangeCase(),
        flushCase(),
    };
}

void setStartUpWaitScale(double p_dScale) { startUpWaitScale() = p_dScale; }

CaseRun::~CaseRun() {
    if (openRun() == this) openRun() = nullptr;
}

bool CaseRun::ensure() {
    if (openRun() != nullptr && openRun() != this) openRun()->finish();
    openRun() = this;
    m_pDevice = &activate(m_stProfile);
    if (m_stCase.exclusive) {
        m_pDevice->dropSteady();
        hostsim::setWaitScale(startUpWaitScale());
    } else {
        m_pDevice->steady();
    }
    if (m_bPrepared) return m_bApplies;

    m_bPrepared = true;
    m_bFinished = false;
    m_strWhy.clear();
    m_bApplies = !m_stCase.prepare || m_stCase.prepare(*m_pDevice, m_strWhy);
    if (!m_bApplies) return false;
    // One call first, so that what a first call sets up once is not taken for
    // the path's own work.
    between();
    call();
    between();
    m_pDevice->clearRecords();
    startProbe();
    call();
    m_vecOps = stopProbe(m_stComposition);
    m_pFloor.reset(new FloorReplay(m_vecOps, m_pDevice->video()));
    m_pDevice->clearRecords();

    m_nBlockCalls = 1;
    if (!hasBetween()) {
        const double dStart = monotonicNs();
        for (int i = 0; i < 3; ++i) call();
        const double dEach = (monotonicNs() - dStart) / 3.0;
        const double kBlockNs = 50000.0;
        m_nBlockCalls = std::max(1L, std::min(10000L, static_cast<long>(kBlockNs / std::max(dEach, 1.0))));
    }
    m_pDevice->clearRecords();
    return true;
}

CaseRun::Block CaseRun::runBlock(bool p_bFloorFirst, long p_nCalls) {
    Block stBlock = {0.0, 0.0};
    const auto timeCalls = [this, &stBlock, p_nCalls]() {
        double dTotal = 0.0;
        if (hasBetween()) {
            for (long i = 0; i < p_nCalls; ++i) {
                between();
                const double dStart = monotonicNs();
                call();
                dTotal += monotonicNs() - dStart;
            }
        } else {
            const double dStart = monotonicNs();
            for (long i = 0; i < p_nCalls; ++i) call();
            dTotal = monotonicNs() - dStart;
        }
        stBlock.callNs = dTotal / static_cast<double>(p_nCalls);
    };
    const auto timeFloors = [this, &stBlock, p_nCalls]() {
        double dTotal = 0.0;
        if (hasBeforeFloor()) {
            for (long i = 0; i < p_nCalls; ++i) {
                beforeFloor();
                const double dStart = monotonicNs();
                floor();
                dTotal += monotonicNs() - dStart;
            }
        } else {
            const double dStart = monotonicNs();
            for (long i = 0; i < p_nCalls; ++i) floor();
            dTotal = monotonicNs() - dStart;
        }
        stBlock.floorNs = dTotal / static_cast<double>(p_nCalls);
    };
    if (p_bFloorFirst) {
        timeFloors();
        timeCalls();
    } else {
        timeCalls();
        timeFloors();
    }
    afterBatch();
    return stBlock;
}

namespace {

double median(std::vector<double> p_vecValues) {
    if (p_vecValues.empty()) return 0.0;
    std::sort(p_vecValues.begin(), p_vecValues.end());
    const size_t n = p_vecValues.size();
    return n % 2 == 1 ? p_vecValues[n / 2] : (p_vecValues[n / 2 - 1] + p_vecValues[n / 2]) / 2.0;
}

}  // namespace

double CaseRun::callNs() const {
    std::vector<double> vecValues;
    for (const Block& stBlock : m_vecBlocks) vecValues.push_back(stBlock.callNs);
    return median(vecValues);
}

double CaseRun::floorNs() const {
    std::vector<double> vecValues;
    for (const Block& stBlock : m_vecBlocks) vecValues.push_back(stBlock.floorNs);
    return median(vecValues);
}

double CaseRun::ratio() const {
    std::vector<double> vecValues;
    for (const Block& stBlock : m_vecBlocks)
        if (stBlock.floorNs > 0.0) vecValues.push_back(stBlock.callNs / stBlock.floorNs);
    return median(vecValues);
}

void CaseRun::finish() {
    if (openRun() == this) openRun() = nullptr;
    if (!m_bPrepared || m_bFinished) return;
    m_bFinished = true;
    m_bPrepared = false;
    m_pFloor.reset();
    if (m_bApplies && m_stCase.finish) {
        m_pDevice = &activate(m_stProfile);
        m_stCase.finish(*m_pDevice);
    }
    m_pDevice->clearRecords();
}

HeapHeld measureHeldHeap(const Profile& p_stProfile) {
    HeapHeld stHeld;
    if (!heapCountingAvailable()) return stHeld;
    if (openRun() != nullptr) openRun()->finish();
    Device& objDevice = activate(p_stProfile);
    objDevice.dropSteady();
    {
        std::unique_ptr<ISensorController> pWarmUp = objDevice.makeController();
        pWarmUp->init(objDevice.moduleConfigure());
        pWarmUp->uinit();
    }
    objDevice.clearRecords();

    heapCountingStart();
    std::unique_ptr<ISensorController> pController = objDevice.makeController();
    pController->init(objDevice.moduleConfigure());
    objDevice.clearRecords();
    const HeapCount stGrown = heapCountingStop();

    ISensorControllerTestAccess objAccess(*pController);
    const char* szStyle = objAccess.sysConf().szUIStyle;
    stHeld.styleBytes = szStyle != nullptr ? static_cast<long long>(strlen(szStyle) + 1) : 0;

    heapCountingStart();
    pController->uinit();
    pController.reset();
    const HeapCount stReleased = heapCountingStop();

    stHeld.measured = true;
    stHeld.heldBytes = stGrown.liveBytes;
    stHeld.releasedBytes = -stReleased.liveBytes;
    return stHeld;
}

}  // namespace bench
