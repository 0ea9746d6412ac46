// Test-only access to the controller's private state, so that tests can set
// up a scheme layout directly and inspect what an operation left behind.
//
// The exported header grants tests nothing: the member pointers are taken
// through explicit template instantiations, which the language exempts from
// access checks. Use this only where no public behaviour shows the rule.
#ifndef SENSORDLL_TESTS_CONTROLLER_ACCESS_H
#define SENSORDLL_TESTS_CONTROLLER_ACCESS_H

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "ISensorController.h"

namespace controller_private {

// Instantiated with a private member's pointer, defines the tag's get().
template <typename Tag, typename Tag::type Member>
struct Grant {
    friend typename Tag::type get(Tag) { return Member; }
};

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-template-friend"
#endif
#define SENSORDLL_TEST_PRIVATE(TAG, TYPE, MEMBER) \
    struct TAG {                                  \
        typedef TYPE ISensorController::*type;    \
        friend type get(TAG);                     \
    };                                            \
    template struct Grant<TAG, &ISensorController::MEMBER>;

SENSORDLL_TEST_PRIVATE(SysConf, SysConfig, m_stSysConf)
SENSORDLL_TEST_PRIVATE(CameraId, int, m_nCameraID)
SENSORDLL_TEST_PRIVATE(CurScheme, std::atomic<int>, m_nCurScheme)
SENSORDLL_TEST_PRIVATE(LastScheme, std::atomic<int>, m_nLastScheme)
SENSORDLL_TEST_PRIVATE(ParamMode, int, m_nParamMode)
SENSORDLL_TEST_PRIVATE(UserKeyVal, KeyVal**, m_ppUserKeyVal)
SENSORDLL_TEST_PRIVATE(KeyValTmp, KeyVal*, m_pstKeyValTmp)
SENSORDLL_TEST_PRIVATE(FctKeyVal, KeyVal*, m_pFctKeyVal)
SENSORDLL_TEST_PRIVATE(KeyValSum, u32, m_nKeyValSum)
SENSORDLL_TEST_PRIVATE(KeyValLPR, KeyVal*, m_pstKeyValLPR)
SENSORDLL_TEST_PRIVATE(KeyCmdMap, keycmd*, m_pKeyCmdMap)
SENSORDLL_TEST_PRIVATE(VideoModule, const VideoStreamModule*, m_pVideoStreamModule)
SENSORDLL_TEST_PRIVATE(StateFlags, std::atomic<u32>, m_nStateFlags)
SENSORDLL_TEST_PRIVATE(KeyCmdSum, u32, m_nKeyCmdSum)
SENSORDLL_TEST_PRIVATE(LastSchedule, u32, m_nLastSchedule)
SENSORDLL_TEST_PRIVATE(LprScheme, bool, m_bLPRScheme)
SENSORDLL_TEST_PRIVATE(ShowWdr, bool, m_bShowWDRFalg)
SENSORDLL_TEST_PRIVATE(TimingScheme, bool, m_bTimingScheme)
SENSORDLL_TEST_PRIVATE(DnScheme, bool, m_bDNScheme)
SENSORDLL_TEST_PRIVATE(LimitedIrPower, bool, m_bisLimitedIrPower)
SENSORDLL_TEST_PRIVATE(HasLens, bool, m_bHasLens)
SENSORDLL_TEST_PRIVATE(ShutterIdle, std::atomic<bool>, m_bShutterIdle)
SENSORDLL_TEST_PRIVATE(ThermalChannel, bool, m_bThermalChannel)
SENSORDLL_TEST_PRIVATE(ZoomFocusParam, SensorZoomFocusParam, m_objZoomFocusParam)
struct BuildKeyCmdMap {
    typedef void (ISensorController::*type)();
    friend type get(BuildKeyCmdMap);
};
template struct Grant<BuildKeyCmdMap, &ISensorController::buildKeyCmdMap>;
#undef SENSORDLL_TEST_PRIVATE
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace controller_private

namespace cp = controller_private;

class ISensorControllerTestAccess {
public:
    explicit ISensorControllerTestAccess(ISensorController& p_objController) : c(p_objController) {}

    // Gives the controller nSchemeSum user schemes plus the factory set, each
    // holding the given records, and the full key-command map, as init would.
    // Releases whatever an earlier call set up.
    void setUpSchemes(u32 p_nSchemeSum, const std::vector<KeyVal>& p_vecRecords) {
        tearDownSchemes();
        const u32 nSum = static_cast<u32>(p_vecRecords.size());
        field<cp::SysConf>().nSchemeSum = p_nSchemeSum;
        field<cp::KeyValSum>() = nSum;
        KeyVal* pBlock = new KeyVal[(nSum == 0 ? 1 : nSum) * (p_nSchemeSum + 1)];
        field<cp::UserKeyVal>() = new KeyVal*[p_nSchemeSum + 1];
        for (u32 i = 0; i <= p_nSchemeSum; ++i) {
            field<cp::UserKeyVal>()[i] = pBlock + i * nSum;
            if (nSum != 0) std::memcpy(field<cp::UserKeyVal>()[i], p_vecRecords.data(), nSum * sizeof(KeyVal));
        }
        field<cp::FctKeyVal>() = field<cp::UserKeyVal>()[p_nSchemeSum];
        field<cp::KeyValTmp>() = new KeyVal[nSum == 0 ? 1 : nSum];
        field<cp::KeyValLPR>() = new KeyVal[nSum == 0 ? 1 : nSum];
        if (field<cp::KeyCmdMap>() == nullptr) (c.*get(cp::BuildKeyCmdMap()))();
        m_bOwnsArrays = true;
    }

    void tearDownSchemes() {
        if (!m_bOwnsArrays) return;
        delete[] field<cp::UserKeyVal>()[0];
        delete[] field<cp::UserKeyVal>();
        delete[] field<cp::KeyValTmp>();
        delete[] field<cp::KeyValLPR>();
        delete[] field<cp::KeyCmdMap>();
        field<cp::UserKeyVal>() = nullptr;
        field<cp::KeyValTmp>() = nullptr;
        field<cp::KeyValLPR>() = nullptr;
        field<cp::KeyCmdMap>() = nullptr;
        field<cp::FctKeyVal>() = nullptr;
        field<cp::KeyValSum>() = 0;
        m_bOwnsArrays = false;
    }

    // Value of a key in a scheme array; false when the array lacks it.
    bool schemeValue(u32 p_nScheme, u32 p_nKey, int& p_nValue) const {
        for (u32 i = 0; i < field<cp::KeyValSum>(); ++i) {
            if (field<cp::UserKeyVal>()[p_nScheme][i].key == p_nKey) {
                p_nValue = static_cast<int>(field<cp::UserKeyVal>()[p_nScheme][i].value);
                return true;
            }
        }
        return false;
    }
    int schemeValue(u32 p_nScheme, u32 p_nKey) const {
        int nValue = -12345;
        schemeValue(p_nScheme, p_nKey, nValue);
        return nValue;
    }
    KeyVal* scheme(u32 p_nScheme) const { return field<cp::UserKeyVal>()[p_nScheme]; }

    SysConfig& sysConf() { return field<cp::SysConf>(); }
    int& cameraId() { return field<cp::CameraId>(); }
    std::atomic<int>& curScheme() { return field<cp::CurScheme>(); }
    std::atomic<int>& lastScheme() { return field<cp::LastScheme>(); }
    int& paramMode() { return field<cp::ParamMode>(); }
    KeyVal** userKeyVal() { return field<cp::UserKeyVal>(); }
    KeyVal* keyValTmp() { return field<cp::KeyValTmp>(); }
    KeyVal* fctKeyVal() { return field<cp::FctKeyVal>(); }
    u32& keyValSum() { return field<cp::KeyValSum>(); }
    keycmd* keyCmdMap() { return field<cp::KeyCmdMap>(); }
    u32& keyCmdSum() { return field<cp::KeyCmdSum>(); }
    const VideoStreamModule* videoModule() const { return field<cp::VideoModule>(); }
    std::atomic<u32>& stateFlags() { return field<cp::StateFlags>(); }
    u32& lastSchedule() { return field<cp::LastSchedule>(); }
    bool& lprScheme() { return field<cp::LprScheme>(); }
    bool& showWdr() { return field<cp::ShowWdr>(); }
    bool& timingScheme() { return field<cp::TimingScheme>(); }
    bool& dnScheme() { return field<cp::DnScheme>(); }
    bool& limitedIrPower() { return field<cp::LimitedIrPower>(); }
    bool& hasLens() { return field<cp::HasLens>(); }
    std::atomic<bool>& shutterIdle() { return field<cp::ShutterIdle>(); }
    bool& thermalChannel() { return field<cp::ThermalChannel>(); }
    SensorZoomFocusParam& zoomFocusParam() { return field<cp::ZoomFocusParam>(); }

private:
    template <typename Tag>
    typename std::remove_reference<decltype(std::declval<ISensorController&>().*get(Tag()))>::type& field() const {
        return c.*get(Tag());
    }

    ISensorController& c;
    bool m_bOwnsArrays = false;
};

#endif
