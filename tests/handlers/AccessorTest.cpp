// The named accessors: each getter and setter reaches its own key, and only
// setMirrorMode saves the scheme file at once.
#include <functional>
#include <string>
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

struct AccessorCase {
    const char* name;
    bool (ISensorController::*get)(int&);
    std::function<bool(ISensorController&, int)> set;
    u32 key;
};

#define ACCESSOR(getter, setter, key) \
    { #getter, &ISensorController::getter, [](ISensorController& c, int v) { return c.setter(v); }, key }
const std::vector<AccessorCase> kAccessors = {
    ACCESSOR(getDNMode, setDNMode, KEY_DN_MODE),
    ACCESSOR(getWDRSwitch, setWDRSwitch, KEY_WDR_MODE),
    ACCESSOR(getWDRStrength, setWDRStrength, KEY_WDR_STRG),
    ACCESSOR(getHLCSwitch, setHLCSwitch, KEY_HLC_SWITCH),
    ACCESSOR(getHLCStrength, setHLCStrength, KEY_HLC_STRG),
    ACCESSOR(getBLCSwitch, setBLCSwitch, KEY_BLC_SWITCH),
    ACCESSOR(getBLCStrength, setBLCStrength, KEY_BLC_STRG),
    ACCESSOR(getDefogSwitch, setDefogSwitch, KEY_DEFLG_SWITCH),
    ACCESSOR(getDefogStrength, setDefogStrength, KEY_DEFLG_STRG),
    ACCESSOR(get2DSwitch, set2DSwitch, KEY_2D_NR_SWITCH),
    ACCESSOR(get2DMode, set2DMode, KEY_2D_NR_MODE),
    ACCESSOR(get2DAutoMaxStrength, set2DAutoMaxStrength, KEY_2D_NR_STRG_A),
    ACCESSOR(get2DManualMaxStrength, set2DManualMaxStrength, KEY_2D_NR_STRG_M),
    ACCESSOR(get3DSwitch, set3DSwitch, KEY_3D_NR_SWITCH),
    ACCESSOR(get3DMode, set3DMode, KEY_3D_NR_MODE),
    ACCESSOR(get3DAutoMaxStrength, set3DAutoMaxStrength, KEY_3D_NR_STRG_A),
    ACCESSOR(get3DManualMaxStrength, set3DManualMaxStrength, KEY_3D_NR_STRG_M),
    ACCESSOR(getMirrorValue, setMirrorMode, KEY_MIRROR),
    ACCESSOR(getBeaway, setBeaway, KEY_BEAWAY),
};
#undef ACCESSOR

// Every accessor key holds its own value, after the schedule keys a flush
// needs; the scene is still off when the mirror is sent as given.
TEST_F(ControllerFixture, EachGetterReadsItsKeyFromTheCacheAndEachSetterAppliesAndStoresIt) {
    std::vector<KeyVal> vecRecords = {{KEY_SCHEME_MODE, 0}, {KEY_SCHEME_START_HOUR, 0}, {KEY_SCHEME_START_MIN, 0},
                                      {KEY_SCHEME_END_HOUR, 23}, {KEY_SCHEME_END_MIN, 59}};
    for (size_t i = 0; i < kAccessors.size(); ++i)
        vecRecords.push_back({kAccessors[i].key, kAccessors[i].key == KEY_BEAWAY ? 0u : static_cast<u32>(100 + i)});
    layOut(vecRecords);
    for (const AccessorCase& stCase : kAccessors) {
        SCOPED_TRACE(stCase.name);
        const int nStored = stored(stCase.key);
        ispsim::clearCalls();
        int nValue = 0;
        EXPECT_TRUE((controller().*stCase.get)(nValue));
        EXPECT_EQ(nStored, nValue);
        EXPECT_TRUE(ispsim::calls().empty());

        EXPECT_TRUE(stCase.set(controller(), 1));
        keycmd stRow;
        ASSERT_NE(-1, controller().findFromKeyCmdMap(access().keyCmdMap(), stCase.key, stRow));
        EXPECT_EQ(std::vector<int>{1}, sentValues(static_cast<int>(stRow.ia_cmd)));
        EXPECT_EQ(1, stored(stCase.key));
        EXPECT_EQ(nStored, stored(stCase.key, 1));
        EXPECT_TRUE((controller().*stCase.get)(nValue));
        EXPECT_EQ(1, nValue);
        EXPECT_EQ(stCase.key == KEY_MIRROR, fileExists("/mnt/mtd/code/config_file/sensor1_0.cfg"));
        removeFile("/mnt/mtd/code/config_file/sensor1_0.cfg");
    }
}

// A refused mirror saves nothing; a scene value is saved only with a mirror.
TEST_F(ControllerFixture, TheMirrorIsSavedAtOnceTheSceneOnlyWithIt) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const auto fileValue = [this](u32 p_nKey) { return valueOf(readFile(std::string(kConfigDir) + "/sensor1_0.cfg"), p_nKey); };
    ASSERT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::failCommand(0, KEY_MIRROR, -1);
    EXPECT_FALSE(objController.setMirrorMode(1));
    EXPECT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::clearFaults();
    int nBeaway = 1;
    EXPECT_TRUE(objController.setBeaway(nBeaway));
    EXPECT_EQ(0, fileValue(KEY_BEAWAY));
    EXPECT_TRUE(objController.setMirrorMode(1));
    EXPECT_EQ(1, fileValue(KEY_MIRROR));
    EXPECT_EQ(1, fileValue(KEY_BEAWAY));
}

}  // namespace
