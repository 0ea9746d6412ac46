// ISP replacement: what ia_ioctrl_v2 answers from its values and sensor
// profiles, what it records and how its faults behave.
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
int getWord(int p_nChannel, int p_nCmd) {
    int nValue = -12345;
    call(p_nChannel, p_nCmd, IA_CMD_OPT_GET, &nValue);
    return nValue;
}
int setWord(int p_nChannel, int p_nCmd, int p_nValue) { return call(p_nChannel, p_nCmd, IA_CMD_OPT_SET, &p_nValue); }
bool stored(int p_nChannel, int p_nCmd, int32_t p_nExpected) {
    int32_t nValue = 0;
    return ispsim::value(p_nChannel, p_nCmd, nValue) && nValue == p_nExpected;
}

// Channel 0 has the profile of this document: items 1 2 4 8 12 for command
// 49, [0, 100] for 56.
class IspTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        writeFile("/p.xml",
                  "<sensorProfile name=\"IMX327\">\n"
                  "  <range cmd=\"49\" type=\"0\" default=\"8\" min=\"1\" max=\"12\" items=\"1 2 4 8 12\"/>\n"
                  "  <range cmd=\"56\" type=\"1\" default=\"5\" min=\"0\" max=\"100\"/>\n"
                  "  <range cmd=\"1607\" type=\"1\" default=\"20\" min=\"0\" max=\"80\"/>\n"
                  "  <value cmd=\"1607\" value=\"36\"/>\n"
                  "  <lensVersion>LENS-2.8-12-V1.4</lensVersion>\n"
                  "  <sensorCheck answer=\"5\"/>\n"
                  "</sensorProfile>\n");
        ASSERT_TRUE(ispsim::loadProfile(hostPath("/p.xml"), m_stProfile));
        ASSERT_TRUE(ispsim::setProfileFromFile(0, hostPath("/p.xml")));
    }
    ispsim::SensorProfile m_stProfile;
};

TEST_F(IspTest, ValuesAndDayNightStateAreKeptPerChannelAndNeverSetOnesAnswerInitialThenDefaultThenZero) {
    ASSERT_EQ(0, setWord(0, 34, 60));
    ASSERT_EQ(0, setWord(1, 34, 70));
    int32_t nValue;
    EXPECT_FALSE(ispsim::value(0, 35, nValue));
    EXPECT_EQ((std::vector<int>{60, 70, 36, 8, 0, 0}),
              (std::vector<int>{getWord(0, 34), getWord(1, 34), getWord(0, 1607), getWord(0, 49), getWord(0, 35),
                                getWord(1, 49)}));
    // A word answer writes one word only.
    int32_t aData[2] = {0, 42};
    ASSERT_EQ(0, call(0, 49, IA_CMD_OPT_GET, aData));
    EXPECT_EQ(42, aData[1]);
    ispsim::setDayNightState(0, 1);
    EXPECT_EQ((std::vector<int>{1, 0}), (std::vector<int>{getWord(0, IA_CMD_DN_STATE), getWord(1, IA_CMD_DN_STATE)}));
    EXPECT_EQ(0, setWord(0, IA_CMD_DN_STATE, 0));
    EXPECT_EQ(0, getWord(0, IA_CMD_DN_STATE));
}

// Ranges, corrections and the command list come from the profile, cut to
// what their records hold; a command without a range is refused and its data
// kept. Correction takes the nearest item (ties go down) or clamps, in place.
TEST_F(IspTest, RangesCorrectionsAndTheCommandListFollowTheProfile) {
    ia_dynamic_params_attr_st stAttr;
    stAttr.def_val = 77;
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(77, stAttr.def_val);
    ASSERT_EQ(0, call(0, 49, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ((std::vector<int>{0, 8, 1, 12, 5, 12, 0}),
              (std::vector<int>{stAttr.attr_type, stAttr.def_val, stAttr.min_val, stAttr.max_val, stAttr.items_cnt,
                                stAttr.item[4], stAttr.item[5]}));
    EXPECT_EQ(276u, ispsim::calls().back().dataOut.size());
    const int aCorrections[][4] = {{49, 8, 0, 8},  {49, 7, 0, 8},     {49, 5, 0, 4},           {49, 3, 0, 2},
                                   {49, 6, 0, 4},  {49, -100, 0, 1},  {49, 2147483647, 0, 12}, {56, 50, 0, 50},
                                   {56, -1, 0, 0}, {56, 101, 0, 100}, {34, 77, -1, 77}};
    for (const auto& c : aCorrections) {  // command, value, status, corrected value
        SCOPED_TRACE(std::to_string(c[0]) + " " + std::to_string(c[1]));
        int nValue = c[1];
        ASSERT_EQ(c[2], call(0, c[0], IA_CMD_OPT_CORRECT_PARAM, &nValue));
        EXPECT_EQ(c[3], nValue);
        EXPECT_EQ(c[1], ispsim::calls().back().valueIn());
        EXPECT_EQ(c[3], ispsim::calls().back().valueOut());
    }
    ia_dynamic_params_cmds_st stList;
    ASSERT_EQ(0, call(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    ASSERT_EQ(3, stList.cmd_cnt);
    EXPECT_EQ((std::vector<int>{49, 56, 1607}), std::vector<int>(stList.cmd_list, stList.cmd_list + 3));
    EXPECT_EQ(68u, ispsim::calls().back().dataIn.size());
    ASSERT_EQ(0, call(3, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(0, stList.cmd_cnt);

    // Twenty commands of seventy items each.
    std::vector<int> vecItems;
    for (int i = 0; i < 70; ++i) vecItems.push_back(i);
    ispsim::SensorProfile stLarge;
    for (int i = 0; i < 20; ++i) stLarge.ranges.push_back({100 + i, 0, 0, 0, 69, vecItems});
    ispsim::setProfile(1, stLarge);
    ASSERT_EQ(0, call(1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &stList));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_CMDS_MAX, stList.cmd_cnt);
    EXPECT_EQ(115, stList.cmd_list[15]);
    ASSERT_EQ(0, call(1, 100, IA_CMD_OPT_GET_PARAM_RNAGE, &stAttr));
    EXPECT_EQ(IA_DYNAMIC_PARAMS_ITEMS_MAX, stAttr.items_cnt);
    EXPECT_EQ(63, stAttr.item[63]);
}

// The record is read whole and nothing beyond it: the word after it must not
// show up in what was recorded; a set leaves it as it was. The infrared LED
// record is not read at all. The sensor check answers in the fourth word of a
// query, the lens version is cut to fit the caller's buffer.
TEST_F(IspTest, RecordsAreStoredAndRecordedWholeAndAnswersFitTheirBuffers) {
    const std::vector<uint32_t> aRecords[] = {
        {145, 30, 60, 2}, {149, 18, 30, 6, 0}, {IA_CMD_SENSOR_CHECK, 1, 1, 3, 9}, {178}};
    for (const std::vector<uint32_t>& vecRecord : aRecords) {  // the command, then the record's words
        const int nCmd = static_cast<int>(vecRecord[0]);
        SCOPED_TRACE(nCmd);
        std::vector<uint32_t> vecData(vecRecord.begin() + 1, vecRecord.end());
        const size_t nBytes = vecData.size() * sizeof(uint32_t);
        vecData.push_back(0xdeadbeef);
        ASSERT_EQ(0, call(0, nCmd, IA_CMD_OPT_SET, vecData.data()));
        const uint8_t* pSent = reinterpret_cast<const uint8_t*>(vecData.data());
        EXPECT_EQ(std::vector<uint8_t>(pSent, pSent + nBytes), ispsim::record(0, nCmd));
        ASSERT_EQ(1u, ispsim::setCalls(nCmd).size());
        EXPECT_EQ(nBytes, ispsim::setCalls(nCmd)[0].dataIn.size());
        EXPECT_EQ(std::vector<uint32_t>(vecRecord.begin() + 1, vecRecord.end()),
                  std::vector<uint32_t>(vecData.begin(), vecData.end() - 1));
    }
    int32_t aCheck[5] = {1, 2, 3, 0, 77};
    ASSERT_EQ(0, call(0, IA_CMD_SENSOR_CHECK, IA_CMD_OPT_GET, aCheck));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 5, 77}), std::vector<int32_t>(aCheck, aCheck + 5));
    m_stProfile.lensVersion = "LENS-2.8-12-V1.4" + std::string(80, 'L');
    ispsim::setProfile(0, m_stProfile);
    char aBuffer[60];
    memset(aBuffer, 'z', sizeof(aBuffer));
    ASSERT_EQ(0, call(0, 2496, IA_CMD_OPT_GET, aBuffer));
    EXPECT_EQ(m_stProfile.lensVersion.substr(0, 49), std::string(aBuffer));
    EXPECT_EQ('z', aBuffer[50]);
}

// Refused calls (no data, an unknown option) and failed ones change nothing;
// a fault holds for its command on its channel (-1: any) until cleared, and
// failing the Nth call in turn lets the calls before it take effect.
TEST_F(IspTest, RefusedAndFailedCallsChangeNothing) {
    EXPECT_EQ(-1, call(0, 34, IA_CMD_OPT_SET, nullptr));
    EXPECT_EQ(-1, ispsim::calls().back().status);
    EXPECT_TRUE(ispsim::calls().back().dataIn.empty());
    int nValue = 3;
    EXPECT_NE(0, call(0, 34, 9, &nValue));
    EXPECT_EQ(3, nValue);
    EXPECT_FALSE(ispsim::value(0, 34, nValue));

    ispsim::setValue(0, 34, 60);
    ispsim::failCommand(0, 34, -7);
    EXPECT_EQ(-7, setWord(0, 34, 61));
    EXPECT_EQ(-7, call(0, 34, IA_CMD_OPT_GET, &nValue));
    EXPECT_EQ(3, nValue);
    EXPECT_TRUE(stored(0, 34, 60));
    EXPECT_EQ((std::vector<int>{0, 0}), (std::vector<int>{setWord(1, 34, 61), setWord(0, 35, 61)}));
    ispsim::failCommand(0, 34, 0);
    EXPECT_EQ(0, setWord(0, 34, 61));

    ispsim::failCommand(-1, 145, 2);
    uint32_t aRecord[3] = {1, 2, 3};
    EXPECT_EQ((std::vector<int>{2, 2}),
              (std::vector<int>{call(0, 145, IA_CMD_OPT_SET, aRecord), call(5, 145, IA_CMD_OPT_SET, aRecord)}));
    EXPECT_TRUE(ispsim::record(0, 145).empty());
    ispsim::failCommand(-1, 145, 0);
    EXPECT_EQ(0, call(5, 145, IA_CMD_OPT_SET, aRecord));

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
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < 4; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < 300; ++i) {
                setWord(t, 34, t * 1000 + i);
                getWord(t, 34);
                if (i % 50 == 0) ispsim::calls();
            }
        });
    }
    for (std::thread& objThread : vecThreads) objThread.join();
    EXPECT_EQ(2400u, ispsim::calls().size());
    for (int t = 0; t < 4; ++t) EXPECT_TRUE(stored(t, 34, t * 1000 + 299)) << t;
    for (const ispsim::Call& stCall : ispsim::calls())
        EXPECT_TRUE(stCall.option != IA_CMD_OPT_GET || stCall.channel == stCall.valueOut() / 1000);
}

// A broken document leaves the caller's profile as it was.
TEST_F(IspTest, ProfileFilesThatDoNotReadAreRefused) {
    EXPECT_EQ("IMX327", m_stProfile.name);
    for (const char* szContent : {"<sensorProfile><range cmd=\"49\" items=\"1 x\"/></sensorProfile>",
                                  "<sensorProfile><range type=\"0\"/></sensorProfile>",
                                  "<sensorProfile><value cmd=\"1\"/></sensorProfile>", "<sensorProfile>", "<other/>"}) {
        writeFile("/bad.xml", szContent);
        EXPECT_FALSE(ispsim::loadProfile(hostPath("/bad.xml"), m_stProfile)) << szContent;
        EXPECT_EQ("IMX327", m_stProfile.name);
    }
    EXPECT_FALSE(ispsim::loadProfile(hostPath("/missing.xml"), m_stProfile));
    EXPECT_FALSE(ispsim::setProfileFromFile(0, hostPath("/missing.xml")));
}

}  // namespace
