// Lens and light controls: the zoom ratio interpolation, the iris bounds, the
// lens gate, the infrared/white-light exclusion, the light-type bound, the
// heater word and the field-of-view sync file.
#include <gtest/gtest.h>

#include "../scheme/SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"

typedef std::vector<std::pair<int, int>> Sets;

class LensLightTest : public SchemeLayoutFixture {
protected:
    void SetUp() override {
        SchemeLayoutFixture::SetUp();
        layOut();
        startIn(0);
    }
    static Sets setCommands() {
        Sets vecCommands;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecCommands.emplace_back(stCall.cmd, stCall.valueIn());
        return vecCommands;
    }
};

TEST_F(LensLightTest, ZoomRatioIsInterpolatedBetweenWholeRatios) {
    // Wide, below the table, halfway, twice, just above twice (truncated),
    // sixteen times, beyond the table (the ratio left as it was).
    const int aanCases[][2] = {{16384, 1000}, {100, 1000},    {20480, 1500}, {24576, 2000},
                               {24577, 2001}, {31424, 16000}, {31425, -1}};
    for (const auto& anCase : aanCases) {
        ispsim::setValue(0, KEY_MZ_POSITION, anCase[0]);
        int nPosition = -1;
        int nRatio = -1;
        EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));
        EXPECT_EQ(nPosition, anCase[0]);
        EXPECT_EQ(nRatio, anCase[1]) << anCase[0];
    }
}

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
    EXPECT_EQ(std::vector<int>({nPosition, nRatio, nFocus}), std::vector<int>({0, 7, 0}));
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(LensLightTest, FocusStepSetsAutoFocusModeFirstAndIrisStepNeedsTheExposureMode) {
    EXPECT_TRUE(controller().focusNear());
    EXPECT_EQ(setCommands(), (Sets{{KEY_AUTO_FOCUS_MODE, 1}, {KEY_FOCUS_NEAR, 1}}));
    ispsim::failCommand(0, KEY_EXPOSE_MODE, -1);
    EXPECT_FALSE(controller().irisUp());
    EXPECT_TRUE(ispsim::setCalls(83).empty());
}

TEST_F(LensLightTest, IrisValueIsClampedToTheIrisRange) {
    const int aanCases[][2] = {{100, 256}, {-5, 256}, {256, 256}, {300, 300}, {25600, 25600}, {25601, 25600}};
    for (const auto& anCase : aanCases) {
        ispsim::clearCalls();
        EXPECT_TRUE(controller().setIrisValue(anCase[0]));
        EXPECT_EQ(setCommands(), (Sets{{KEY_EXPOSE_MODE, 3}, {KEY_IRIS_POSITION, anCase[1]}})) << anCase[0];
    }
}

TEST_F(LensLightTest, InfraredAndWhiteLightTurnEachOtherOffFirstAndLightTypesStopAtThree) {
    store(KEY_WHITE_SWITCH, 1, 0);
    ispsim::setValue(0, 168, 1);
    EXPECT_TRUE(controller().setIRSwitch(1));
    EXPECT_EQ(setCommands(), (Sets{{168, 0}, {KEY_IR_SWITCH, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_IR_SWITCH), 1);
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 0);

    ispsim::clearCalls();
    EXPECT_TRUE(controller().setWhiteSwitch(1));
    EXPECT_EQ(setCommands(), (Sets{{KEY_IR_SWITCH, 0}, {168, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 1);

    ispsim::clearCalls();
    ispsim::failCommand(0, 168, -1);
    EXPECT_FALSE(controller().setIRSwitch(1));
    EXPECT_TRUE(setCommands().empty());

    // Light types run 0..3.
    EXPECT_FALSE(controller().setLightType(4));
    EXPECT_FALSE(controller().setLightType(-1));
    EXPECT_TRUE(controller().setLightType(3));
    EXPECT_EQ(setCommands(), (Sets{{KEY_LIGHT_TYPE, 3}}));
    EXPECT_EQ(access().schemeValue(0, KEY_LIGHT_TYPE), 3);
}

TEST_F(LensLightTest, HeatStatusTakesTheIspWord) {
    bool bHeating = false;
    for (int nWord : {0x100, 0}) {
        ispsim::setValue(0, 1606, nWord);
        EXPECT_TRUE(controller().getHeatStatus(bHeating));
        EXPECT_EQ(bHeating, nWord != 0);
    }
    bHeating = true;
    ispsim::failCommand(0, 1606, -1);
    EXPECT_FALSE(controller().getHeatStatus(bHeating));
    EXPECT_TRUE(bHeating);
}

TEST_F(LensLightTest, SyncFovAppliesTheZoomEntryOfThisChannelAndPrintsEachLine) {
    const std::string strBeyondTheBound = std::string(600, '#') + "\nzoom1=20000,\n";
    const std::pair<const char*, std::vector<int>> astCases[] = {
        {"# header\nzoom1=20000,focus1=300,\n", {20000}},
        {"zoom1=20000\n", {}},  // no comma
        {"zoom10=777,\n", {777}},  // a longer name matches
        {"zoom2=20000,focus2=300,\n", {}},
        {"zoom1=1500,\nzoom1=2500,\n", {2500}},  // a later line without focus
        {"zoom1=1500,focus1=9,\nzoom1=2500,focus1=8,\n", {1500}},  // stops once both are found
        {strBeyondTheBound.c_str(), {}},  // only the first few hundred bytes are read
        {nullptr, {}}};
    for (const auto& stCase : astCases) {
        SCOPED_TRACE(stCase.first == nullptr ? "no file" : stCase.first);
        if (stCase.first != nullptr) writeFile("/mnt/mtd/hd1/program/config/sync_fov.ini", stCase.first);
        else removeFile("/mnt/mtd/hd1/program/config/sync_fov.ini");
        ispsim::clearCalls();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(controller().sync_fov());
        const std::string strOut = testing::internal::GetCapturedStdout();
        EXPECT_EQ(sentValues(KEY_MZ_POSITION), stCase.second);
        EXPECT_TRUE(ispsim::setCalls(KEY_MF_POSITION).empty());
        if (stCase.first == astCases[0].first) {
            EXPECT_NE(strOut.find("zoom= -1,focus= -1 \nzoom= 20000,focus= 300 \n"), std::string::npos);
        }
    }
}
