// Reading parameters back: cache first, the ISP only for keys outside the
// schemes, the id-list answer, and the whole scheme from flash or memory.
#include <string>
#include <thread>
#include <vector>

#include "ControllerFixture.h"
#include "ReadingDeviceFixture.h"

namespace {

class ReadingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{8000, 0}, {8001, 0}, {8002, 0}, {8003, 23}, {8004, 59}, {34, 50}, {2337, 128}, {49, 300}});
    }
    // A merged style for channel 1 whose KEY_MAX_SHUTTER value is given.
    void writeStyle(int p_nMaxShutterValue) {
        writeFile("/tmp/merge_style_ch1.xml", "<style><tab key=\"exposure\"><param id=\"49\" value=\"" +
                                                  std::to_string(p_nMaxShutterValue) + "\"/></tab></style>\n");
    }
    // Scheme file bytes, little-endian records.
    void writeScheme(const std::string& p_strPath, const std::vector<KeyVal>& p_vecRecords) {
        std::vector<unsigned char> vecBytes;
        for (const KeyVal& stRecord : p_vecRecords)
            for (u32 nWord : {stRecord.key, stRecord.value})
                for (int i = 0; i < 4; ++i) vecBytes.push_back(static_cast<unsigned char>(nWord >> (8 * i)));
        writeBytes(p_strPath, vecBytes);
    }
    void listMaxShutter() {
        ispsim::SensorProfile stProfile;
        stProfile.ranges.push_back({49, 0, 100, 50, 250, {50, 100, 250}});
        ispsim::setProfile(0, stProfile);
    }
    static const char* const kFullScheme;
};

const char* const ReadingTest::kFullScheme = "(8000,0)(8001,0)(8002,0)(8003,23)(8004,59)(34,50)(2337,128)(49,300)";

TEST_F(ReadingTest, ACachedKeyIsAnsweredWithoutTheIsp) {
    ispsim::setValue(0, 34, 77);
    ispsim::clearCalls();
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(34, nValue));
    EXPECT_EQ(50, nValue);
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(ReadingTest, AnUncachedKeyIsReadFromTheIspWithTheKeyAsCommand) {
    ispsim::setValue(0, 4242, 77);
    ispsim::clearCalls();
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(4242, nValue));
    EXPECT_EQ(77, nValue);
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ(4242, ispsim::calls()[0].cmd);
    EXPECT_EQ(static_cast<unsigned>(IA_CMD_OPT_GET), ispsim::calls()[0].option);
}

TEST_F(ReadingTest, AKeyNobodyKnowsIsFalseWithAReport) {
    ispsim::failCommand(0, 4242, -1);
    int nValue = 5;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_pController->getParameter(4242, nValue));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("get key(4242) val from 2a err"));
}

TEST_F(ReadingTest, TheCacheIsTheCurrentScheme) {
    store(34, 61, 2);
    m_pAccess->curScheme() = 2;
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(34, nValue));
    EXPECT_EQ(61, nValue);
}

class InfraredKeyTest : public ReadingTest, public ::testing::WithParamInterface<int> {};

TEST_P(InfraredKeyTest, AnInfraredKeyTheSchemesLackReadsMinusOne) {
    ispsim::setValue(0, GetParam(), 3);
    ispsim::clearCalls();
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(GetParam(), nValue));
    EXPECT_EQ(-1, nValue);
    EXPECT_TRUE(ispsim::calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Keys, InfraredKeyTest,
                         ::testing::Values(KEY_IR_SWITCH, KEY_IR_MODE, KEY_IR_MANUAL_STRG_NEAR,
                                           KEY_IR_MANUAL_STRG_MEDIUM, KEY_IR_MANUAL_STRG_FAR));

TEST_F(ReadingTest, AnIdListLeavesOutTheKeysThatCannotBeRead) {
    ispsim::failCommand(0, 4242, -1);
    std::string strOut = "old";
    testing::internal::CaptureStdout();
    EXPECT_TRUE(m_pController->getParameters("(34,4242,2337)", strOut));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("@@ out_Parameters = (34,50)(2337,128) @@\n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
}

TEST_F(ReadingTest, AMalformedIdListLeavesTheTextAlone) {
    std::string strOut = "old";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_pController->getParameters("34,4242,2337", strOut));
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0u, strStdout.find("ParameterReading.cpp"));
    EXPECT_NE(std::string::npos, strStdout.find(" getParameters fail p_strIds = 34,4242,2337 \n"));
    EXPECT_EQ("old", strOut);
}

TEST_F(ReadingTest, TheExecutionStatusComesFromTheIsp) {
    int nStatus = 9;
    EXPECT_TRUE(m_pController->getCmdExecStatus(8231, nStatus));
    EXPECT_EQ(0, nStatus);
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ(static_cast<unsigned>(IA_CMD_OPT_GET_STATUS), ispsim::calls()[0].option);
    ispsim::failCommand(0, 8231, -2);
    EXPECT_FALSE(m_pController->getCmdExecStatus(8231, nStatus));
}

TEST_F(ReadingTest, FromFlashTheAnswerIsTheSchemeFileAndItAppends) {
    writeStyle(206);
    writeScheme("/mnt/mtd/code/config_file/sensor1_0.cfg",
                {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 23}, {8004, 59}, {34, 10}, {2337, 20}, {49, 30}});
    const std::string strFile = "(8000,0)(8001,0)(8002,0)(8003,23)(8004,59)(34,10)(2337,20)(49,30)";
    std::string strOut = "(1,2)";
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(1,2)" + strFile + strFile, strOut);
    EXPECT_EQ(50, stored(34));
}

TEST_F(ReadingTest, FromFlashTheThermalChannelReadsItsOwnFile) {
    writeStyle(200);
    m_pAccess->thermalChannel() = true;
    m_pAccess->curScheme() = 1;
    writeScheme("/mnt/mtd/code/config_file/sensor-thermal1.cfg",
                {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 23}, {8004, 59}, {34, 10}, {2337, 20}, {49, 31}});
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(8000,0)(8001,0)(8002,0)(8003,23)(8004,59)(34,10)(2337,20)(49,31)", strOut);
}

TEST_F(ReadingTest, AMissingStyleAnswersFromFlash) {
    writeScheme("/mnt/mtd/code/config_file/sensor1_0.cfg",
                {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 23}, {8004, 59}, {34, 10}, {2337, 20}, {49, 30}});
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(8000,0)(8001,0)(8002,0)(8003,23)(8004,59)(34,10)(2337,20)(49,30)", strOut);
}

TEST_F(ReadingTest, AMissingOrShortSchemeFileShowsTheCacheNotScratchData) {
    writeStyle(206);
    // Scratch data that another operation left behind.
    for (u32 i = 0; i < m_pAccess->keyValSum(); ++i) m_pAccess->keyValTmp()[i] = {999, 999};
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ(kFullScheme, strOut);
    writeScheme("/mnt/mtd/code/config_file/sensor1_0.cfg", {{8000, 1}});
    strOut.clear();
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(8000,1)(8001,0)(8002,0)(8003,23)(8004,59)(34,50)(2337,128)(49,300)", strOut);
}

TEST_F(ReadingTest, OutsideTheUserSchemesNothingIsAppended) {
    listMaxShutter();
    for (int nStyle : {206, 100}) {
        writeStyle(nStyle);
        for (int nScheme : {4, -1}) {
            m_pAccess->curScheme() = nScheme;
            std::string strOut = "(1,2)";
            EXPECT_TRUE(m_pController->getAllParameters(strOut));
            EXPECT_EQ("(1,2)", strOut);
        }
    }
    EXPECT_EQ(300, stored(49, 4));
}

TEST_F(ReadingTest, FromMemoryTheSchemeIsCorrectedInPlace) {
    writeStyle(199);
    listMaxShutter();
    writeScheme("/mnt/mtd/code/config_file/sensor1_0.cfg", {{34, 10}});
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(8000,0)(8001,0)(8002,0)(8003,23)(8004,59)(34,50)(2337,128)(49,250)", strOut);
    ispsim::clearCalls();
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(49, nValue));
    EXPECT_EQ(250, nValue);
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(300, stored(49, 1));
}

TEST_F(ReadingTest, AFailedCorrectionStillAnswers) {
    writeStyle(100);
    listMaxShutter();
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -1);
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ(kFullScheme, strOut);
}

TEST_F(ControllerFixture, ReadingBeforeInitDoesNotTouchAbsentArrays) {
    ispsim::setValue(0, 34, 44);
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(34, nValue));
    EXPECT_EQ(44, nValue);
    std::string strOut = "(1,2)";
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(1,2)", strOut);
    EXPECT_TRUE(m_pController->getParameters("(34)", strOut));
    EXPECT_EQ("(34,44)", strOut);
}

// Each key of a list takes the lock on its own, so a list can be read while
// another thread sets values.
TEST_F(ReadingTest, IdListsAndSettersInterleave) {
    std::thread objWriter([this] {
        for (int i = 0; i < 200; ++i) m_pController->setParameter(34, i % 100, true);
    });
    for (int i = 0; i < 200; ++i) {
        std::string strOut;
        ASSERT_TRUE(m_pController->getParameters("(34,2337)", strOut));
        EXPECT_NE(std::string::npos, strOut.find("(2337,128)"));
    }
    objWriter.join();
}

class StartedReadingTest : public StartedDeviceFixture {};

// The dome's style gives KEY_MAX_SHUTTER 206: answers come from the file.
TEST_F(StartedReadingTest, FromFlashTheAnswerShowsWhatFlushWrote) {
    start("dome");
    ASSERT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BRIGHTNESS, 61, true));
    ASSERT_EQ(SNS_SUCCESS, m_pController->flush());
    ASSERT_EQ(SNS_SUCCESS, m_pController->setParameter(KEY_BRIGHTNESS, 62, true));
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_NE(std::string::npos, strOut.find("(34,61)"));
    EXPECT_EQ(std::string::npos, strOut.find("(34,62)"));
}

// The bullet's style gives KEY_MAX_SHUTTER 100: answers come from memory,
// corrected to the sensor's ranges.
TEST_F(StartedReadingTest, FromMemoryTheAnswerShowsTheCorrectedCache) {
    start("ir-bullet");
    m_pController->setKeyValToCache(static_cast<u32>(m_pAccess->curScheme()), KEY_MAX_SHUTTER, 30, true);
    std::string strOut;
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_NE(std::string::npos, strOut.find("(49,22)"));
    int nValue = 0;
    EXPECT_TRUE(m_pController->getParameter(KEY_MAX_SHUTTER, nValue));
    EXPECT_EQ(22, nValue);
    EXPECT_NE(30, fileValue(schemeFile(), KEY_MAX_SHUTTER));
}

}  // namespace
