// Lens and light controls: the zoom ratio interpolation, the iris bounds, the
// lens gate, the infrared/white-light exclusion, the light-type bound, the
// heater word and the field-of-view sync file.
#include <gtest/gtest.h>

#include "../scheme/SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"

class LensLightTest : public SchemeLayoutFixture {
protected:
    void SetUp() override {
        SchemeLayoutFixture::SetUp();
        layOut();
        controller().switch_to(0, false);
        ispsim::clearCalls();
    }
    static std::vector<std::pair<int, int>> setCommands() {
        std::vector<std::pair<int, int>> vecCommands;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecCommands.emplace_back(stCall.cmd, stCall.valueIn());
        return vecCommands;
    }
};

struct ZoomCase {
    const char* name;
    int position;
    int ratio;
};

class ZoomRatioTest : public LensLightTest, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomRatioTest, RatioIsInterpolatedBetweenWholeRatios) {
    ispsim::setValue(0, KEY_MZ_POSITION, GetParam().position);
    int nPosition = -1;
    int nRatio = -1;

    EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));

    EXPECT_EQ(nPosition, GetParam().position);
    EXPECT_EQ(nRatio, GetParam().ratio);
}

INSTANTIATE_TEST_SUITE_P(Positions, ZoomRatioTest,
                         ::testing::Values(ZoomCase{"Wide", 16384, 1000}, ZoomCase{"BelowTable", 100, 1000},
                                           ZoomCase{"Halfway", 20480, 1500}, ZoomCase{"Twice", 24576, 2000},
                                           ZoomCase{"JustAboveTwiceTruncates", 24577, 2001},
                                           ZoomCase{"Sixteen", 31424, 16000},
                                           ZoomCase{"BeyondTableKeepsRatio", 31425, -1}),
                         [](const ::testing::TestParamInfo<ZoomCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

TEST_F(LensLightTest, LensGatedOperationsSendNothingWithoutALens) {
    access().hasLens() = false;
    int nPosition = -1;
    int nRatio = 7;
    int nFocus = -1;

    EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));
    EXPECT_TRUE(controller().getFocusValue(nFocus));
    EXPECT_TRUE(controller().setZoomValue(20000));
    EXPECT_TRUE(controller().focusFar());
    EXPECT_TRUE(controller().setPTZRunState(1));

    EXPECT_EQ(nPosition, 0);
    EXPECT_EQ(nRatio, 7);
    EXPECT_EQ(nFocus, 0);
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(LensLightTest, FocusStepSetsAutoFocusModeFirst) {
    EXPECT_TRUE(controller().focusNear());

    EXPECT_EQ(setCommands(), (std::vector<std::pair<int, int>>{{KEY_AUTO_FOCUS_MODE, 1}, {KEY_FOCUS_NEAR, 1}}));
}

TEST_F(LensLightTest, IrisStepFailsWhenExposureModeIsRefused) {
    ispsim::failCommand(0, KEY_EXPOSE_MODE, -1);

    EXPECT_FALSE(controller().irisUp());

    EXPECT_TRUE(ispsim::setCalls(83).empty());
}

struct IrisCase {
    const char* name;
    int value;
    int sent;
};

class IrisValueTest : public LensLightTest, public ::testing::WithParamInterface<IrisCase> {};

TEST_P(IrisValueTest, ValueIsClampedToTheIrisRange) {
    EXPECT_TRUE(controller().setIrisValue(GetParam().value));

    EXPECT_EQ(setCommands(),
              (std::vector<std::pair<int, int>>{{KEY_EXPOSE_MODE, 3}, {KEY_IRIS_POSITION, GetParam().sent}}));
}

INSTANTIATE_TEST_SUITE_P(Values, IrisValueTest,
                         ::testing::Values(IrisCase{"Small", 100, 256}, IrisCase{"Negative", -5, 256},
                                           IrisCase{"Lowest", 256, 256}, IrisCase{"Inside", 300, 300},
                                           IrisCase{"Highest", 25600, 25600}, IrisCase{"Above", 25601, 25600}),
                         [](const ::testing::TestParamInfo<IrisCase>& p_stInfo) {
                             return std::string(p_stInfo.param.name);
                         });

TEST_F(LensLightTest, InfraredOnTurnsTheWhiteLightOffFirst) {
    put(0, KEY_WHITE_SWITCH, 1);
    ispsim::setValue(0, 168, 1);

    EXPECT_TRUE(controller().setIRSwitch(1));

    EXPECT_EQ(setCommands(), (std::vector<std::pair<int, int>>{{168, 0}, {KEY_IR_SWITCH, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_IR_SWITCH), 1);
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 0);
}

TEST_F(LensLightTest, WhiteOnTurnsTheInfraredLightOffFirst) {
    put(0, KEY_IR_SWITCH, 1);
    ispsim::setValue(0, KEY_IR_SWITCH, 1);

    EXPECT_TRUE(controller().setWhiteSwitch(1));

    EXPECT_EQ(setCommands(), (std::vector<std::pair<int, int>>{{KEY_IR_SWITCH, 0}, {168, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 1);
}

TEST_F(LensLightTest, InfraredOnFailsWhenTheWhiteLightCannotBeRead) {
    ispsim::failCommand(0, 168, -1);

    EXPECT_FALSE(controller().setIRSwitch(1));

    EXPECT_TRUE(setCommands().empty());
}

TEST_F(LensLightTest, LightTypeAboveThreeIsRefused) {
    EXPECT_FALSE(controller().setLightType(4));
    EXPECT_FALSE(controller().setLightType(-1));
    EXPECT_TRUE(ispsim::calls().empty());

    EXPECT_TRUE(controller().setLightType(3));
    EXPECT_EQ(sentValues(KEY_LIGHT_TYPE), std::vector<int>{3});
    EXPECT_EQ(access().schemeValue(0, KEY_LIGHT_TYPE), 3);
}

TEST_F(LensLightTest, HeatStatusTakesTheIspWord) {
    bool bHeating = false;
    ispsim::setValue(0, 1606, 0x100);
    EXPECT_TRUE(controller().getHeatStatus(bHeating));
    EXPECT_TRUE(bHeating);

    ispsim::setValue(0, 1606, 0);
    EXPECT_TRUE(controller().getHeatStatus(bHeating));
    EXPECT_FALSE(bHeating);

    bHeating = true;
    ispsim::failCommand(0, 1606, -1);
    EXPECT_FALSE(controller().getHeatStatus(bHeating));
    EXPECT_TRUE(bHeating);
}

struct SyncCase {
    const char* name;
    const char* content;
    std::vector<int> zoomSent;
};

class SyncFovTest : public LensLightTest, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(SyncFovTest, ZoomEntryOfThisChannelIsApplied) {
    if (GetParam().content != nullptr) writeFile("/mnt/mtd/hd1/program/config/sync_fov.ini", GetParam().content);

    EXPECT_TRUE(controller().sync_fov());

    EXPECT_EQ(sentValues(KEY_MZ_POSITION), GetParam().zoomSent);
    EXPECT_TRUE(ispsim::setCalls(KEY_MF_POSITION).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, SyncFovTest,
    ::testing::Values(SyncCase{"ZoomAndFocus", "zoom1=20000,focus1=300,\n", {20000}},
                      SyncCase{"NoComma", "zoom1=20000\n", {}},
                      SyncCase{"LongerNameMatches", "zoom10=777,\n", {777}},
                      SyncCase{"OtherChannel", "zoom2=20000,focus2=300,\n", {}},
                      SyncCase{"LaterLineWithoutFocus", "zoom1=1500,\nzoom1=2500,\n", {2500}},
                      SyncCase{"StopsWhenBothFound", "zoom1=1500,focus1=9,\nzoom1=2500,focus1=8,\n", {1500}},
                      SyncCase{"MissingFile", nullptr, {}}),
    [](const ::testing::TestParamInfo<SyncCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(LensLightTest, SyncFovPrintsEachLine) {
    writeFile("/mnt/mtd/hd1/program/config/sync_fov.ini", "# header\nzoom1=20000,focus1=300,\n");
    testing::internal::CaptureStdout();

    controller().sync_fov();

    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_NE(strOut.find("zoom= -1,focus= -1 \nzoom= 20000,focus= 300 \n"), std::string::npos);
}
