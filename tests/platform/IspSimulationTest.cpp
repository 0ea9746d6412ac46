// ISP replacement: what ia_ioctrl_v2 answers, what it records and how its
// faults behave.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DeviceFixture.h"
#include "IspSimulation.h"
#include "ia_ioctrl.h"

namespace {

int call(int p_nChannel, int p_nCmd, unsigned int p_nOption, void* p_pData) {
    return ia_ioctrl_v2(p_nChannel, static_cast<ia_cmd_e>(p_nCmd), p_nOption, p_pData);
}

int getWord(int p_nChannel, int p_nCmd, int& p_nStatus) {
    int nValue = -12345;
    p_nStatus = call(p_nChannel, p_nCmd, IA_CMD_OPT_GET, &nValue);
    return nValue;
}

ispsim::Range makeRange(int p_nCmd, int p_nType, int p_nDefault, int p_nMin, int p_nMax, std::vector<int> p_vecItems) {
    ispsim::Range stRange;
    stRange.cmd = p_nCmd;
    stRange.attrType = p_nType;
    stRange.defaultValue = p_nDefault;
    stRange.minValue = p_nMin;
    stRange.maxValue = p_nMax;
    stRange.items = p_vecItems;
    return stRange;
}

class IspTest : public ::testing::Test {
protected:
    void SetUp() override {
        ispsim::reset();
        m_stProfile.name = "IMX327";
        m_stProfile.ranges.push_back(makeRange(49, 0, 8, 1, 12, {1, 2, 4, 8, 12}));
        m_stProfile.ranges.push_back(makeRange(56, 1, 5, 0, 100, {}));
        m_stProfile.ranges.push_back(makeRange(1607, 1, 20, 0, 80, {}));
        m_stProfile.initialValues.push_back(std::make_pair(1607, 36));
        m_stProfile.lensVersion = "LENS-2.8-12-V1.4";
        m_stProfile.sensorCheckAnswer = 5;
        ispsim::setProfile(0, m_stProfile);
    }
    void TearDown() override { ispsim::reset(); }

    ispsim::SensorProfile m_stProfile;
};

TEST_F(IspTest, ValuesAreKeptPerChannel) {
    int nValue = 60;
    ASSERT_EQ(0, call(0, 34, IA_CMD_OPT_SET, &nValue));
    nValue = 70;
    ASSERT_EQ(0, call(1, 34, IA_CMD_OPT_SET, &nValue));
    int nStatus;
    EXPECT_EQ(60, getWord(0, 34, nStatus));
    EXPECT_EQ(0, nStatus);
    EXPECT_EQ(70, getWord(1, 34, nStatus));
    int32_t nStored = 0;
    ASSERT_TRUE(ispsim::value(0, 34, nStored));
    EXPECT_EQ(60, nStored);
    EXPECT_FALSE(ispsim::value(0, 35, nStored));
    EXPECT_FALSE(ispsim::value(2, 34, nStored));
}

TEST_F(IspTest, NeverSetCommandAnswersInitialThenRangeDefaultThenZero) {
    int nStatus;
    EXPECT_EQ(36, getWord(0, 1607, nStatus));
    EXPECT_EQ(8, getWord(0, 49, nStatus));
    EXPECT_EQ(0, getWord(0, 34, nStatus));
    EXPECT_EQ(0, nStatus);
    EXPECT_EQ(0, getWord(1, 49, nStatus));
    ispsim::setValue(0, 49, 4);
    EXPECT_EQ(4, getWord(0, 49, nStatus));
}

TEST_F(IspTest, RangeRecordCopiesTheProfile) {
    ia_dynamic_params_attr_st stAttr;
    memset(&stAttr, 0x5a, sizeof(stAttr));
    ASSERT_EQ(0, call(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(0, stAttr.attr_type);
    EXPECT_EQ(8, stAttr.def_val);
    EXPECT_EQ(1, stAttr.min_val);
    EXPECT_EQ(12, stAttr.max_val);
    ASSERT_EQ(5, stAttr.items_cnt);
    EXPECT_EQ(12, stAttr.item[4]);
    EXPECT_EQ(0, stAttr.item[5]);
    EXPECT_EQ(276u, ispsim::calls().back().dataOut.size());
}

TEST_F(IspTest, RangeOfCommandWithoutRangeFailsAndLeavesTheRecord) {
    ia_dynamic_params_attr_st stAttr;
    memset(&stAttr, 0x5a, sizeof(stAttr));
    ia_dynamic_params_attr_st stBefore = stAttr;
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(0, memcmp(&stBefore, &stAttr, sizeof(stAttr)));
}

TEST_F(IspTest, RangeItemsAreBoundedByTheRecord) {
    std::vector<int> vecItems;
    for (int i = 0; i < 70; ++i) vecItems.push_back(i);
    ispsim::SensorProfile stProfile;
    stProfile.ranges.push_back(makeRange(49, 0, 0, 0, 69, vecItems));
    ispsim::setProfile(1, stProfile);
    ia_dynamic_params_attr_st stAttr;
    ASSERT_EQ(0, call(1, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_ITEMS_MAX, stAttr.items_cnt);
    EXPECT_EQ(63, stAttr.item[63]);
}

struct CorrectionCase {
    int nCmd;
    int nValue;
    int nCorrected;
};

class IspCorrectionTest : public IspTest, public ::testing::WithParamInterface<CorrectionCase> {};

TEST_P(IspCorrectionTest, CorrectsInPlace) {
    int nValue = GetParam().nValue;
    ASSERT_EQ(0, call(0, GetParam().nCmd, IA_CMD_OPT_CORRECT_PARAM, &nValue));
    EXPECT_EQ(GetParam().nCorrected, nValue);
    EXPECT_EQ(GetParam().nValue, ispsim::calls().back().valueIn());
    EXPECT_EQ(GetParam().nCorrected, ispsim::calls().back().valueOut());
}

// Items 1 2 4 8 12 for command 49; [0, 100] for command 56.
INSTANTIATE_TEST_SUITE_P(Cases, IspCorrectionTest,
                         ::testing::Values(CorrectionCase{49, 8, 8}, CorrectionCase{49, 7, 8}, CorrectionCase{49, 5, 4},
                                           CorrectionCase{49, 3, 2}, CorrectionCase{49, 6, 4},
                                           CorrectionCase{49, -100, 1}, CorrectionCase{49, 2147483647, 12},
                                           CorrectionCase{56, 50, 50}, CorrectionCase{56, -1, 0},
                                           CorrectionCase{56, 101, 100}));

TEST_F(IspTest, CorrectionWithoutRangeFailsAndKeepsTheValue) {
    int nValue = 77;
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_CORRECT_PARAM, &nValue));
    EXPECT_EQ(77, nValue);
}

TEST_F(IspTest, CommandListFollowsTheProfileRanges) {
    ia_dynamic_params_cmds_st stList;
    memset(&stList, 0, sizeof(stList));
    ASSERT_EQ(0, call(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    ASSERT_EQ(3, stList.cmd_cnt);
    EXPECT_EQ(49, stList.cmd_list[0]);
    EXPECT_EQ(56, stList.cmd_list[1]);
    EXPECT_EQ(1607, stList.cmd_list[2]);
    EXPECT_EQ(0, stList.cmd_list[3]);
    EXPECT_EQ(68u, ispsim::calls().back().dataIn.size());

    ASSERT_EQ(0, call(3, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(0, stList.cmd_cnt);
    EXPECT_EQ(0, stList.cmd_list[0]);
}

TEST_F(IspTest, CommandListHoldsAtMostSixteen) {
    ispsim::SensorProfile stProfile;
    for (int i = 0; i < 20; ++i) stProfile.ranges.push_back(makeRange(100 + i, 1, 0, 0, 1, {}));
    ispsim::setProfile(1, stProfile);
    ia_dynamic_params_cmds_st stList;
    ASSERT_EQ(0, call(1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_CMDS_MAX, stList.cmd_cnt);
    EXPECT_EQ(115, stList.cmd_list[15]);
}

TEST_F(IspTest, DayNightStateIsSetByCallerOrCommand) {
    int nStatus;
    EXPECT_EQ(0, getWord(0, IA_CMD_DN_STATE, nStatus));
    ispsim::setDayNightState(0, 1);
    EXPECT_EQ(1, getWord(0, IA_CMD_DN_STATE, nStatus));
    EXPECT_EQ(0, getWord(1, IA_CMD_DN_STATE, nStatus));
    int nState = 0;
    EXPECT_EQ(0, call(0, IA_CMD_DN_STATE, IA_CMD_OPT_SET, &nState));
    EXPECT_EQ(0, getWord(0, IA_CMD_DN_STATE, nStatus));
    ispsim::setDayNightState(0, 1);
    ispsim::reset();
    EXPECT_EQ(0, getWord(0, IA_CMD_DN_STATE, nStatus));
}

struct RecordCase {
    int nCmd;
    std::vector<uint32_t> vecWords;
};

class IspRecordTest : public IspTest, public ::testing::WithParamInterface<RecordCase> {};

// The record is read whole and nothing beyond it: the word after it differs
// in every case and must not show up in what was recorded.
TEST_P(IspRecordTest, RecordIsStoredAndRecordedWhole) {
    std::vector<uint32_t> vecData = GetParam().vecWords;
    const size_t nBytes = vecData.size() * sizeof(uint32_t);
    vecData.push_back(0xdeadbeef);
    ASSERT_EQ(0, call(0, GetParam().nCmd, IA_CMD_OPT_SET, vecData.data()));
    const std::vector<uint8_t> vecRecord = ispsim::record(0, GetParam().nCmd);
    ASSERT_EQ(nBytes, vecRecord.size());
    EXPECT_EQ(0, memcmp(vecRecord.data(), vecData.data(), nBytes));
    const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(GetParam().nCmd);
    ASSERT_EQ(1u, vecCalls.size());
    EXPECT_EQ(nBytes, vecCalls[0].dataIn.size());
    for (size_t i = 0; i < GetParam().vecWords.size(); ++i)
        EXPECT_EQ(static_cast<int32_t>(GetParam().vecWords[i]), vecCalls[0].wordIn(i));
    EXPECT_EQ(0, vecCalls[0].wordIn(GetParam().vecWords.size()));
}

INSTANTIATE_TEST_SUITE_P(Records, IspRecordTest,
                         ::testing::Values(RecordCase{145, {30, 60, 2}}, RecordCase{146, {30, 70, 2}},
                                           RecordCase{154, {30, 60, 5}}, RecordCase{149, {18, 30, 6, 0}},
                                           RecordCase{152, {18, 30, 6, 15}},
                                           RecordCase{IA_CMD_SENSOR_CHECK, {1, 1, 3, 0}}));

TEST_F(IspTest, InfraredLedRecordIsNotRead) {
    char cInfo = 1;
    ASSERT_EQ(0, call(0, 178, IA_CMD_OPT_SET, &cInfo));
    EXPECT_TRUE(ispsim::calls().back().dataIn.empty());
    EXPECT_TRUE(ispsim::record(0, 178).empty());
}

TEST_F(IspTest, SensorCheckGetAnswersInTheFourthWord) {
    int32_t aRecord[5] = {1, 2, 3, 0, 77};
    ASSERT_EQ(0, call(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, aRecord));
    EXPECT_EQ(1, aRecord[0]);
    EXPECT_EQ(2, aRecord[1]);
    EXPECT_EQ(3, aRecord[2]);
    EXPECT_EQ(5, aRecord[3]);
    EXPECT_EQ(77, aRecord[4]);

    int32_t aSet[4] = {1, 1, 3, 9};
    ASSERT_EQ(0, call(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, aSet));
    EXPECT_EQ(9, aSet[3]);
    EXPECT_EQ(16u, ispsim::record(0, IA_CMD_SENSOR_CHECK).size());
}

TEST_F(IspTest, LensVersionFillsAtMostTheTextBuffer) {
    char aBuffer[60];
    memset(aBuffer, 'z', sizeof(aBuffer));
    ASSERT_EQ(0, call(0, 2496, IA_CMD_OPT_GET, aBuffer));
    EXPECT_STREQ("LENS-2.8-12-V1.4", aBuffer);
    EXPECT_EQ('z', aBuffer[50]);

    m_stProfile.lensVersion = std::string(80, 'L');
    ispsim::setProfile(0, m_stProfile);
    memset(aBuffer, 'z', sizeof(aBuffer));
    ASSERT_EQ(0, call(0, 2496, IA_CMD_OPT_GET, aBuffer));
    EXPECT_EQ(std::string(49, 'L'), std::string(aBuffer));
    EXPECT_EQ('z', aBuffer[50]);
}

TEST_F(IspTest, WordGetWritesOneWordOnly) {
    ispsim::setValue(0, 1606, 1);
    int32_t aData[2] = {0, 42};
    ASSERT_EQ(0, call(0, 1606, IA_CMD_OPT_GET, aData));
    EXPECT_EQ(1, aData[0]);
    EXPECT_EQ(42, aData[1]);
}

TEST_F(IspTest, NullDataFailsAndIsRecorded) {
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_SET, nullptr));
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ(-1, ispsim::calls()[0].status);
    EXPECT_TRUE(ispsim::calls()[0].dataIn.empty());
}

TEST_F(IspTest, UnknownOptionFails) {
    int nValue = 3;
    EXPECT_NE(0, call(0, 34, 9, &nValue));
    EXPECT_EQ(3, nValue);
    int32_t nStored;
    EXPECT_FALSE(ispsim::value(0, 34, nStored));
}

TEST_F(IspTest, FailedCommandChangesNothing) {
    ispsim::setValue(0, 34, 60);
    ispsim::failCommand(0, 34, -7);
    int nValue = 61;
    EXPECT_EQ(-7, call(0, 34, IA_CMD_OPT_SET, &nValue));
    int nStatus;
    EXPECT_EQ(-12345, getWord(0, 34, nStatus));
    EXPECT_EQ(-7, nStatus);
    EXPECT_EQ(0, call(1, 34, IA_CMD_OPT_SET, &nValue));
    EXPECT_EQ(0, call(0, 35, IA_CMD_OPT_SET, &nValue));
    int32_t nStored = 0;
    ASSERT_TRUE(ispsim::value(0, 34, nStored));
    EXPECT_EQ(60, nStored);
    EXPECT_EQ(-7, ispsim::calls()[0].status);

    ispsim::failCommand(0, 34, 0);
    EXPECT_EQ(0, call(0, 34, IA_CMD_OPT_SET, &nValue));
}

TEST_F(IspTest, FailedCommandOnAnyChannel) {
    ispsim::failCommand(-1, 145, 2);
    uint32_t aRecord[3] = {1, 2, 3};
    EXPECT_EQ(2, call(0, 145, IA_CMD_OPT_SET, aRecord));
    EXPECT_EQ(2, call(5, 145, IA_CMD_OPT_SET, aRecord));
    EXPECT_TRUE(ispsim::record(0, 145).empty());
    ispsim::failCommand(-1, 145, 0);
    EXPECT_EQ(0, call(5, 145, IA_CMD_OPT_SET, aRecord));
}

// Failing the Nth call in turn: the calls before it take effect, it and every
// later one change nothing.
TEST_F(IspTest, FailAfterCallsFailsFromTheNthCallOn) {
    for (long nAllowed = 0; nAllowed <= 4; ++nAllowed) {
        ispsim::reset();
        ispsim::failAfterCalls(nAllowed, -3);
        for (int i = 0; i < 4; ++i) {
            int nValue = 10 + i;
            EXPECT_EQ(i < nAllowed ? 0 : -3, call(0, 34 + i, IA_CMD_OPT_SET, &nValue));
        }
        for (int i = 0; i < 4; ++i) {
            int32_t nStored;
            EXPECT_EQ(i < nAllowed, ispsim::value(0, 34 + i, nStored)) << nAllowed << " " << i;
        }
        ispsim::failAfterCalls(-1, 0);
        int nValue = 1;
        EXPECT_EQ(0, call(0, 40, IA_CMD_OPT_SET, &nValue));
    }
}

struct ObserverLog {
    std::vector<int> vecCmds;
    size_t nCallsSeen = 0;
};

void observe(const ispsim::Call& p_stCall, void* p_pContext) {
    ObserverLog* pLog = static_cast<ObserverLog*>(p_pContext);
    pLog->vecCmds.push_back(p_stCall.cmd);
    // Reading the record from the observer needs the ISP's lock to be free.
    pLog->nCallsSeen = ispsim::calls().size();
}

TEST_F(IspTest, ObserverSeesEveryCallOutsideTheLock) {
    ObserverLog stLog;
    ispsim::setCallObserver(&observe, &stLog);
    int nValue = 1;
    call(0, 34, IA_CMD_OPT_SET, &nValue);
    call(0, 35, IA_CMD_OPT_GET, &nValue);
    ispsim::setCallObserver(nullptr, nullptr);
    call(0, 36, IA_CMD_OPT_GET, &nValue);
    EXPECT_EQ((std::vector<int>{34, 35}), stLog.vecCmds);
    EXPECT_EQ(2u, stLog.nCallsSeen);
}

TEST_F(IspTest, ConcurrentCallsAreAllRecordedAndKept) {
    const int kThreads = 4;
    const int kCalls = 300;
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < kCalls; ++i) {
                int nValue = t * 1000 + i;
                call(t, 34, IA_CMD_OPT_SET, &nValue);
                int nRead = 0;
                call(t, 34, IA_CMD_OPT_GET, &nRead);
                if (i % 50 == 0) ispsim::calls();
            }
        });
    }
    for (std::thread& objThread : vecThreads) objThread.join();
    EXPECT_EQ(static_cast<size_t>(kThreads * kCalls * 2), ispsim::calls().size());
    for (int t = 0; t < kThreads; ++t) {
        int32_t nStored = 0;
        ASSERT_TRUE(ispsim::value(t, 34, nStored));
        EXPECT_EQ(t * 1000 + kCalls - 1, nStored);
    }
    for (const ispsim::Call& stCall : ispsim::calls()) {
        if (stCall.option == IA_CMD_OPT_GET) {
            EXPECT_EQ(stCall.channel, stCall.valueOut() / 1000);
        }
    }
}

class IspProfileFileTest : public DeviceFixture {
protected:
    std::string write(const std::string& p_strName, const std::string& p_strContent) {
        writeFile("/" + p_strName, p_strContent);
        return hostPath("/" + p_strName);
    }
};

TEST_F(IspProfileFileTest, LoadsTheDocumentedForm) {
    const std::string strPath = write("p.xml",
                                      "<sensorProfile name=\"IMX327\">\n"
                                      "  <range cmd=\"49\" type=\"0\" default=\"8\" min=\"1\" max=\"12\" items=\"1 2 4 8 12\"/>\n"
                                      "  <range cmd=\"56\" type=\"1\" default=\"5\" min=\"0\" max=\"100\"/>\n"
                                      "  <value cmd=\"1607\" value=\"36\"/>\n"
                                      "  <lensVersion>LENS-2.8-12-V1.4</lensVersion>\n"
                                      "  <sensorCheck answer=\"0\"/>\n"
                                      "</sensorProfile>\n");
    ispsim::SensorProfile stProfile;
    ASSERT_TRUE(ispsim::loadProfile(strPath, stProfile));
    EXPECT_EQ("IMX327", stProfile.name);
    ASSERT_EQ(2u, stProfile.ranges.size());
    EXPECT_EQ((std::vector<int>{1, 2, 4, 8, 12}), stProfile.ranges[0].items);
    EXPECT_EQ(1, stProfile.ranges[1].attrType);
    EXPECT_EQ(100, stProfile.ranges[1].maxValue);
    EXPECT_TRUE(stProfile.ranges[1].items.empty());
    ASSERT_EQ(1u, stProfile.initialValues.size());
    EXPECT_EQ(36, stProfile.initialValues[0].second);
    EXPECT_EQ("LENS-2.8-12-V1.4", stProfile.lensVersion);
    EXPECT_EQ(0, stProfile.sensorCheckAnswer);

    ASSERT_TRUE(ispsim::setProfileFromFile(1, strPath));
    int nValue = 0;
    ASSERT_EQ(0, call(1, 1607, IA_CMD_OPT_GET, &nValue));
    EXPECT_EQ(36, nValue);
}

TEST_F(IspProfileFileTest, RefusesBrokenDocumentsAndKeepsTheProfile) {
    ispsim::SensorProfile stProfile;
    stProfile.name = "kept";
    for (const char* szContent :
         {"<sensorProfile><range cmd=\"49\" items=\"1 x\"/></sensorProfile>",
          "<sensorProfile><range type=\"0\"/></sensorProfile>", "<sensorProfile><value cmd=\"1\"/></sensorProfile>",
          "<sensorProfile>", "<other/>"}) {
        EXPECT_FALSE(ispsim::loadProfile(write("bad.xml", szContent), stProfile)) << szContent;
        EXPECT_EQ("kept", stProfile.name);
    }
    EXPECT_FALSE(ispsim::loadProfile(hostPath("/missing.xml"), stProfile));
    EXPECT_FALSE(ispsim::setProfileFromFile(0, hostPath("/missing.xml")));
}

TEST_F(IspProfileFileTest, BundledProfilesLoad) {
    for (const char* szProfile : {"ir-bullet/isp/sensor-ch1.xml", "dome/isp/sensor-ch1.xml",
                                  "thermal-dual/isp/sensor-ch1.xml", "thermal-dual/isp/sensor-ch2.xml"}) {
        ispsim::SensorProfile stProfile;
        EXPECT_TRUE(ispsim::loadProfile(bundledDevicesDir() + "/" + szProfile, stProfile)) << szProfile;
        EXPECT_FALSE(stProfile.ranges.empty()) << szProfile;
    }
}

}  // namespace
