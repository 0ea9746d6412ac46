// The named accessors: each getter and setter reaches its own key, and only
// setMirrorMode saves the scheme file at once.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "../params/ControllerFixture.h"
#include "../params/ReadingDeviceFixture.h"

namespace {

using Getter = bool (ISensorController::*)(int&);
using Setter = std::function<bool(ISensorController&, int)>;

template <bool (ISensorController::*Set)(int&)>
bool byReference(ISensorController& p_objController, int p_nValue) {
    return (p_objController.*Set)(p_nValue);
}
template <bool (ISensorController::*Set)(int)>
bool byValue(ISensorController& p_objController, int p_nValue) {
    return (p_objController.*Set)(p_nValue);
}

struct AccessorCase {
    const char* name;
    Getter get;
    Setter set;
    u32 key;
};

void PrintTo(const AccessorCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << p_stCase.name;
}

#define ACCESSOR_REF(getter, setter, key) {#getter, &ISensorController::getter, &byReference<&ISensorController::setter>, key}

const std::vector<AccessorCase> kAccessors = {
    {"getDNMode", &ISensorController::getDNMode, &byValue<&ISensorController::setDNMode>, KEY_DN_MODE},
    ACCESSOR_REF(getWDRSwitch, setWDRSwitch, KEY_WDR_MODE),
    ACCESSOR_REF(getWDRStrength, setWDRStrength, KEY_WDR_STRG),
    ACCESSOR_REF(getHLCSwitch, setHLCSwitch, KEY_HLC_SWITCH),
    ACCESSOR_REF(getHLCStrength, setHLCStrength, KEY_HLC_STRG),
    ACCESSOR_REF(getBLCSwitch, setBLCSwitch, KEY_BLC_SWITCH),
    ACCESSOR_REF(getBLCStrength, setBLCStrength, KEY_BLC_STRG),
    ACCESSOR_REF(getDefogSwitch, setDefogSwitch, KEY_DEFLG_SWITCH),
    ACCESSOR_REF(getDefogStrength, setDefogStrength, KEY_DEFLG_STRG),
    ACCESSOR_REF(get2DSwitch, set2DSwitch, KEY_2D_NR_SWITCH),
    ACCESSOR_REF(get2DMode, set2DMode, KEY_2D_NR_MODE),
    ACCESSOR_REF(get2DAutoMaxStrength, set2DAutoMaxStrength, KEY_2D_NR_STRG_A),
    ACCESSOR_REF(get2DManualMaxStrength, set2DManualMaxStrength, KEY_2D_NR_STRG_M),
    ACCESSOR_REF(get3DSwitch, set3DSwitch, KEY_3D_NR_SWITCH),
    ACCESSOR_REF(get3DMode, set3DMode, KEY_3D_NR_MODE),
    ACCESSOR_REF(get3DAutoMaxStrength, set3DAutoMaxStrength, KEY_3D_NR_STRG_A),
    ACCESSOR_REF(get3DManualMaxStrength, set3DManualMaxStrength, KEY_3D_NR_STRG_M),
    ACCESSOR_REF(getBeaway, setBeaway, KEY_BEAWAY),
    {"getMirrorValue", &ISensorController::getMirrorValue, &byValue<&ISensorController::setMirrorMode>, KEY_MIRROR},
};

#undef ACCESSOR_REF

class AccessorTest : public ControllerFixture, public ::testing::WithParamInterface<AccessorCase> {
protected:
    // Every accessor key holds its own value, after the schedule keys a flush
    // needs; the scene is off, so the mirror is sent as given.
    static int initialValue(size_t p_nIndex) {
        return kAccessors[p_nIndex].key == KEY_BEAWAY ? 0 : static_cast<int>(100 + p_nIndex);
    }
    void SetUp() override {
        ControllerFixture::SetUp();
        std::vector<KeyVal> vecRecords = {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 23}, {8004, 59}};
        for (size_t i = 0; i < kAccessors.size(); ++i)
            vecRecords.push_back({kAccessors[i].key, static_cast<u32>(initialValue(i))});
        layOut(vecRecords);
        for (size_t i = 0; i < kAccessors.size(); ++i)
            if (kAccessors[i].key == GetParam().key) m_nStored = initialValue(i);
        ispsim::clearCalls();
    }
    // The ISP command the key's row sends.
    u32 command() {
        keycmd stRow;
        EXPECT_NE(-1, m_pController->findFromKeyCmdMap(m_pAccess->keyCmdMap(), GetParam().key, stRow));
        return stRow.ia_cmd;
    }
    int m_nStored = -1;
};

TEST_P(AccessorTest, TheGetterReadsItsKeyFromTheCache) {
    int nValue = 0;
    EXPECT_TRUE((m_pController.get()->*GetParam().get)(nValue));
    EXPECT_EQ(m_nStored, nValue);
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_P(AccessorTest, TheSetterAppliesAndStoresItsKey) {
    EXPECT_TRUE(GetParam().set(*m_pController, 1));
    int32_t nSent = -1;
    EXPECT_TRUE(ispsim::value(0, static_cast<int>(command()), nSent));
    EXPECT_EQ(1, nSent);
    EXPECT_EQ(1, stored(GetParam().key));
    EXPECT_EQ(m_nStored, stored(GetParam().key, 1));
    int nValue = 0;
    EXPECT_TRUE((m_pController.get()->*GetParam().get)(nValue));
    EXPECT_EQ(1, nValue);
    // Only the mirror is saved at once.
    EXPECT_EQ(GetParam().key == KEY_MIRROR, fileExists("/mnt/mtd/code/config_file/sensor1_0.cfg"));
}

INSTANTIATE_TEST_SUITE_P(Table, AccessorTest, ::testing::ValuesIn(kAccessors),
                         [](const ::testing::TestParamInfo<AccessorCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

TEST_F(StartedDeviceFixture, TheMirrorIsSavedAtOnceTheSceneOnlyWithIt) {
    start("ir-bullet");
    ASSERT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::failCommand(0, KEY_MIRROR, -1);
    EXPECT_FALSE(m_pController->setMirrorMode(1));
    EXPECT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::clearFaults();
    int nBeaway = 1;
    EXPECT_TRUE(m_pController->setBeaway(nBeaway));
    EXPECT_EQ(0, fileValue(KEY_BEAWAY));
    EXPECT_TRUE(m_pController->setMirrorMode(1));
    EXPECT_EQ(1, fileValue(KEY_MIRROR));
    EXPECT_EQ(1, fileValue(KEY_BEAWAY));
}

}  // namespace
