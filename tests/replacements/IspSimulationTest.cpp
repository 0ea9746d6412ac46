// ISP replacement: what ia_ioctrl_v2 answers, what it records and how its
// faults behave.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

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

int getWord(int p_nChannel, int p_nCmd, int* p_pStatus = nullptr) {
    int nValue = -12345;
    const int nStatus = call(p_nChannel, p_nCmd, IA_CMD_OPT_GET, &nValue);
    if (p_pStatus != nullptr) *p_pStatus = nStatus;
    return nValue;
}

int setWord(int p_nChannel, int p_nCmd, int p_nValue) { return call(p_nChannel, p_nCmd, IA_CMD_OPT_SET, &p_nValue); }

bool stored(int p_nChannel, int p_nCmd, int32_t p_nExpected) {
    int32_t nValue = 0;
    return ispsim::value(p_nChannel, p_nCmd, nValue) && nValue == p_nExpected;
}

class IspTest : public ::testing::Test {
protected:
    void SetUp() override {
        ispsim::reset();
        m_stProfile.ranges = {{49, 0, 8, 1, 12, {1, 2, 4, 8, 12}}, {56, 1, 5, 0, 100, {}}, {1607, 1, 20, 0, 80, {}}};
        m_stProfile.initialValues.push_back(std::make_pair(1607, 36));
        m_stProfile.lensVersion = "LENS-2.8-12-V1.4";
        m_stProfile.sensorCheckAnswer = 5;
        ispsim::setProfile(0, m_stProfile);
    }
    void TearDown() override { ispsim::reset(); }

    ispsim::SensorProfile m_stProfile;
};

TEST_F(IspTest, ValuesAndDayNightStateAreKeptPerChannelAndNeverSetOnesAnswerInitialThenDefaultThenZero) {
    ASSERT_EQ(0, setWord(0, 34, 60));
    ASSERT_EQ(0, setWord(1, 34, 70));
    EXPECT_EQ(60, getWord(0, 34));
    EXPECT_EQ(70, getWord(1, 34));
    int32_t nValue;
    EXPECT_FALSE(ispsim::value(0, 35, nValue));
    EXPECT_EQ((std::vector<int>{36, 8, 0, 0}),
              (std::vector<int>{getWord(0, 1607), getWord(0, 49), getWord(0, 35), getWord(1, 49)}));
    // A word answer writes one word only.
    int32_t aData[2] = {0, 42};
    ASSERT_EQ(0, call(0, 49, IA_CMD_OPT_GET, aData));
    EXPECT_EQ(42, aData[1]);
    ispsim::setDayNightState(0, 1);
    EXPECT_EQ(1, getWord(0, IA_CMD_DN_STATE));
    EXPECT_EQ(0, getWord(1, IA_CMD_DN_STATE));
    EXPECT_EQ(0, setWord(0, IA_CMD_DN_STATE, 0));
    EXPECT_EQ(0, getWord(0, IA_CMD_DN_STATE));
}

TEST_F(IspTest, RangeRecordCopiesTheProfileUpToItsBounds) {
    ia_dynamic_params_attr_st stAttr;
    memset(&stAttr, 0x5a, sizeof(stAttr));
    const ia_dynamic_params_attr_st stBefore = stAttr;
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(0, memcmp(&stBefore, &stAttr, sizeof(stAttr)));
    ASSERT_EQ(0, call(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(0, stAttr.attr_type);
    EXPECT_EQ(8, stAttr.def_val);
    EXPECT_EQ(1, stAttr.min_val);
    EXPECT_EQ(12, stAttr.max_val);
    ASSERT_EQ(5, stAttr.items_cnt);
    EXPECT_EQ(12, stAttr.item[4]);
    EXPECT_EQ(0, stAttr.item[5]);
    EXPECT_EQ(276u, ispsim::calls().back().dataOut.size());

    std::vector<int> vecItems;
    for (int i = 0; i < 70; ++i) vecItems.push_back(i);
    ispsim::SensorProfile stProfile;
    stProfile.ranges.push_back({49, 0, 0, 0, 69, vecItems});
    ispsim::setProfile(1, stProfile);
    ASSERT_EQ(0, call(1, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_ITEMS_MAX, stAttr.items_cnt);
    EXPECT_EQ(63, stAttr.item[63]);
}

// Items 1 2 4 8 12 for command 49 (ties go down); [0, 100] for command 56.
TEST_F(IspTest, CorrectionTakesTheNearestItemOrClampsInPlace) {
    const struct {
        int nCmd, nValue, nStatus, nCorrected;
    } aCases[] = {{49, 8, 0, 8},  {49, 7, 0, 8},     {49, 5, 0, 4},           {49, 3, 0, 2},
                  {49, 6, 0, 4},  {49, -100, 0, 1},  {49, 2147483647, 0, 12}, {56, 50, 0, 50},
                  {56, -1, 0, 0}, {56, 101, 0, 100}, {34, 77, -1, 77}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(c.nCmd) + " " + std::to_string(c.nValue));
        int nValue = c.nValue;
        ASSERT_EQ(c.nStatus, call(0, c.nCmd, IA_CMD_OPT_CORRECT_PARAM, &nValue));
        EXPECT_EQ(c.nCorrected, nValue);
        EXPECT_EQ(c.nValue, ispsim::calls().back().valueIn());
        EXPECT_EQ(c.nCorrected, ispsim::calls().back().valueOut());
    }
}

TEST_F(IspTest, CommandListFollowsTheProfileRangesUpToSixteen) {
    ia_dynamic_params_cmds_st stList;
    memset(&stList, 0x5a, sizeof(stList));
    ASSERT_EQ(0, call(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    ASSERT_EQ(3, stList.cmd_cnt);
    EXPECT_EQ((std::vector<int>{49, 56, 1607, 0}), std::vector<int>(stList.cmd_list, stList.cmd_list + 4));
    EXPECT_EQ(68u, ispsim::calls().back().dataIn.size());
    ASSERT_EQ(0, call(3, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(0, stList.cmd_cnt);
    EXPECT_EQ(0, stList.cmd_list[0]);

    ispsim::SensorProfile stProfile;
    for (int i = 0; i < 20; ++i) stProfile.ranges.push_back({100 + i, 1, 0, 0, 1, {}});
    ispsim::setProfile(1, stProfile);
    ASSERT_EQ(0, call(1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_CMDS_MAX, stList.cmd_cnt);
    EXPECT_EQ(115, stList.cmd_list[15]);
}

// The record is read whole and nothing beyond it: the word after it must not
// show up in what was recorded. The infrared LED record is not read at all.
TEST_F(IspTest, RecordsAreStoredAndRecordedWhole) {
    const struct {
        int nCmd;
        std::vector<uint32_t> vecWords;
    } aCases[] = {{145, {30, 60, 2}},
                  {146, {30, 70, 2}},
                  {154, {30, 60, 5}},
                  {149, {18, 30, 6, 0}},
                  {152, {18, 30, 6, 15}},
                  {IA_CMD_SENSOR_CHECK, {1, 1, 3, 0}},
                  {178, {}}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.nCmd);
        std::vector<uint32_t> vecData = c.vecWords;
        const size_t nBytes = vecData.size() * sizeof(uint32_t);
        vecData.push_back(0xdeadbeef);
        ASSERT_EQ(0, call(0, c.nCmd, IA_CMD_OPT_SET, vecData.data()));
        const std::vector<uint8_t> vecRecord = ispsim::record(0, c.nCmd);
        const uint8_t* pSent = reinterpret_cast<const uint8_t*>(vecData.data());
        EXPECT_EQ(std::vector<uint8_t>(pSent, pSent + nBytes), vecRecord);
        const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(c.nCmd);
        ASSERT_EQ(1u, vecCalls.size());
        EXPECT_EQ(nBytes, vecCalls[0].dataIn.size());
    }
}

TEST_F(IspTest, SensorCheckAnswersInTheFourthWordAndLensVersionFitsTheBuffer) {
    int32_t aRecord[5] = {1, 2, 3, 0, 77};
    ASSERT_EQ(0, call(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, aRecord));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 5, 77}), std::vector<int32_t>(aRecord, aRecord + 5));
    int32_t aSet[4] = {1, 1, 3, 9};
    ASSERT_EQ(0, call(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_SET, aSet));
    EXPECT_EQ(9, aSet[3]);

    char aBuffer[60];
    for (const std::string& strVersion : {std::string("LENS-2.8-12-V1.4"), std::string(80, 'L')}) {
        m_stProfile.lensVersion = strVersion;
        ispsim::setProfile(0, m_stProfile);
        memset(aBuffer, 'z', sizeof(aBuffer));
        ASSERT_EQ(0, call(0, 2496, IA_CMD_OPT_GET, aBuffer));
        EXPECT_EQ(strVersion.substr(0, 49), std::string(aBuffer));
        EXPECT_EQ('z', aBuffer[50]);
    }
}

TEST_F(IspTest, RefusedAndFailedCallsChangeNothing) {
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_SET, nullptr));
    EXPECT_EQ(-1, ispsim::calls().back().status);
    EXPECT_TRUE(ispsim::calls().back().dataIn.empty());
    int nValue = 3;
    EXPECT_NE(0, call(0, 34, 9, &nValue));
    EXPECT_EQ(3, nValue);
    int32_t nStored;
    EXPECT_FALSE(ispsim::value(0, 34, nStored));

    ispsim::setValue(0, 34, 60);
    ispsim::failCommand(0, 34, -7);
    EXPECT_EQ(-7, setWord(0, 34, 61));
    int nStatus = 0;
    EXPECT_EQ(-12345, getWord(0, 34, &nStatus));
    EXPECT_EQ(-7, nStatus);
    EXPECT_TRUE(stored(0, 34, 60));
    EXPECT_EQ(0, setWord(1, 34, 61));
    EXPECT_EQ(0, setWord(0, 35, 61));
    ispsim::failCommand(0, 34, 0);
    EXPECT_EQ(0, setWord(0, 34, 61));

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
        SCOPED_TRACE(nAllowed);
        ispsim::reset();
        ispsim::failAfterCalls(nAllowed, -3);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(i < nAllowed ? 0 : -3, setWord(0, 34 + i, 10 + i));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(i < nAllowed, stored(0, 34 + i, 10 + i)) << i;
        ispsim::failAfterCalls(-1, 0);
        EXPECT_EQ(0, setWord(0, 40, 1));
    }
}

TEST_F(IspTest, ConcurrentCallsAreAllRecordedAndKept) {
    const int kThreads = 4;
    const int kCalls = 300;
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < kCalls; ++i) {
                setWord(t, 34, t * 1000 + i);
                getWord(t, 34);
                if (i % 50 == 0) ispsim::calls();
            }
        });
    }
    for (std::thread& objThread : vecThreads) objThread.join();
    EXPECT_EQ(static_cast<size_t>(kThreads * kCalls * 2), ispsim::calls().size());
    for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(stored(t, 34, t * 1000 + kCalls - 1)) << t;
    for (const ispsim::Call& stCall : ispsim::calls())
        if (stCall.option == IA_CMD_OPT_GET) {
            EXPECT_EQ(stCall.channel, stCall.valueOut() / 1000);
        }
}

class IspProfileFileTest : public DeviceFixture {};

TEST_F(IspProfileFileTest, LoadsTheDocumentedFormAndRefusesBrokenOnes) {
    writeFile("/p.xml",
              "<sensorProfile name=\"IMX327\">\n"
              "  <range cmd=\"49\" type=\"0\" default=\"8\" min=\"1\" max=\"12\" items=\"1 2 4 8 12\"/>\n"
              "  <range cmd=\"56\" type=\"1\" default=\"5\" min=\"0\" max=\"100\"/>\n"
              "  <value cmd=\"1607\" value=\"36\"/>\n"
              "  <lensVersion>LENS-2.8-12-V1.4</lensVersion>\n"
              "  <sensorCheck answer=\"0\"/>\n"
              "</sensorProfile>\n");
    ispsim::SensorProfile stProfile;
    ASSERT_TRUE(ispsim::loadProfile(hostPath("/p.xml"), stProfile));
    EXPECT_EQ("IMX327", stProfile.name);
    ASSERT_EQ(2u, stProfile.ranges.size());
    EXPECT_EQ((std::vector<int>{1, 2, 4, 8, 12}), stProfile.ranges[0].items);
    EXPECT_EQ(1, stProfile.ranges[1].attrType);
    EXPECT_EQ(100, stProfile.ranges[1].maxValue);
    EXPECT_EQ("LENS-2.8-12-V1.4", stProfile.lensVersion);
    EXPECT_EQ(0, stProfile.sensorCheckAnswer);
    ASSERT_TRUE(ispsim::setProfileFromFile(1, hostPath("/p.xml")));
    EXPECT_EQ(36, getWord(1, 1607));

    stProfile.name = "kept";
    for (const char* szContent : {"<sensorProfile><range cmd=\"49\" items=\"1 x\"/></sensorProfile>",
                                  "<sensorProfile><range type=\"0\"/></sensorProfile>",
                                  "<sensorProfile><value cmd=\"1\"/></sensorProfile>", "<sensorProfile>", "<other/>"}) {
        writeFile("/bad.xml", szContent);
        EXPECT_FALSE(ispsim::loadProfile(hostPath("/bad.xml"), stProfile)) << szContent;
        EXPECT_EQ("kept", stProfile.name);
    }
    EXPECT_FALSE(ispsim::loadProfile(hostPath("/missing.xml"), stProfile));
    EXPECT_FALSE(ispsim::setProfileFromFile(0, hostPath("/missing.xml")));
}

}  // namespace
