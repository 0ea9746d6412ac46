// Reading parameters back: cache first, the ISP only for keys outside the
// schemes, the id-list answer, and the whole scheme from flash or memory.
#include <string>
#include <vector>

#include "ControllerFixture.h"

namespace {

class ReadingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{34, 50}, {2337, 128}, {49, 300}});
        ispsim::SensorProfile stProfile;
        stProfile.ranges = {{49, 0, 100, 50, 250, {50, 100, 250}}};
        ispsim::setProfile(0, stProfile);
        ispsim::setValue(0, 34, 77);
        ispsim::setValue(0, 4242, 77);
        ispsim::clearCalls();
    }
    // The merged style of channel 1 with the given KEY_MAX_SHUTTER value (at
    // 200 and up the answer comes from flash), and scheme 0's file holding
    // the first records of (34,10)(2337,20)(49,30).
    void writeFiles(int p_nMaxShutter, size_t p_nRecords) {
        writeFile("/tmp/merge_style_ch1.xml",
                  "<style><tab><param id=\"49\" value=\"" + std::to_string(p_nMaxShutter) + "\"/></tab></style>");
        const unsigned char arrRecords[] = {34, 0, 0, 0, 10, 0, 0, 0, 0x21, 9, 0, 0, 20, 0, 0, 0, 49, 0, 0, 0, 30, 0, 0, 0};
        writeBytes("/mnt/mtd/code/config_file/sensor1_0.cfg",
                   std::vector<unsigned char>(arrRecords, arrRecords + 8 * p_nRecords));
    }
    std::string all() {
        std::string strOut = "(1,2)";
        EXPECT_TRUE(m_pController->getAllParameters(strOut));
        return strOut;
    }
    int get(int p_nKey) {
        int nValue = -7;
        EXPECT_TRUE(m_pController->getParameter(p_nKey, nValue)) << p_nKey;
        return nValue;
    }
};

TEST_F(ReadingTest, ACachedKeyIsAnsweredWithoutTheIspAnUncachedOneWithTheKeyAsCommand) {
    EXPECT_EQ(50, get(34));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(77, get(4242));
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ(4242, ispsim::calls()[0].cmd);
    EXPECT_EQ(static_cast<unsigned>(IA_CMD_OPT_GET), ispsim::calls()[0].option);
    ispsim::failCommand(0, 4242, -1);
    int nValue = 0;
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_FALSE(m_pController->getParameter(4242, nValue)); })
                                     .find("get key(4242) val from 2a err"));
}

TEST_F(ReadingTest, AnInfraredKeyTheSchemesLackReadsMinusOne) {
    for (int nKey : {KEY_IR_SWITCH, KEY_IR_MODE, KEY_IR_MANUAL_STRG_NEAR, KEY_IR_MANUAL_STRG_MEDIUM,
                     KEY_IR_MANUAL_STRG_FAR}) {
        ispsim::setValue(0, nKey, 3);
        ispsim::clearCalls();
        EXPECT_EQ(-1, get(nKey));
        EXPECT_TRUE(ispsim::calls().empty());
    }
}

TEST_F(ReadingTest, AnIdListLeavesOutUnreadableKeysAndAMalformedOneIsRefused) {
    ispsim::failCommand(0, 4242, -1);
    std::string strOut = "old";
    EXPECT_NE(std::string::npos,
              printedBy([&] { EXPECT_TRUE(m_pController->getParameters("(34,4242,2337)", strOut)); })
                  .find("@@ out_Parameters = (34,50)(2337,128) @@\n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
    const std::string strStdout =
        printedBy([&] { EXPECT_FALSE(m_pController->getParameters("34,4242,2337", strOut)); });
    EXPECT_EQ(0u, strStdout.find("ParameterReading.cpp"));
    EXPECT_NE(std::string::npos, strStdout.find(" getParameters fail p_strIds = 34,4242,2337 \n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
}

// Records a short or missing file lacks show the cache, not scratch data.
TEST_F(ReadingTest, FromFlashTheSchemeFileIsAppendedAndCompletedFromTheCache) {
    writeFiles(200, 3);
    std::string strOut = "(1,2)";
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_TRUE(m_pController->getAllParameters(strOut));
    EXPECT_EQ("(1,2)(34,10)(2337,20)(49,30)(34,10)(2337,20)(49,30)", strOut);
    EXPECT_EQ(50, stored(34));
    for (u32 i = 0; i < m_pAccess->keyValSum(); ++i) m_pAccess->keyValTmp()[i] = {999, 999};
    writeFiles(206, 1);
    EXPECT_EQ("(1,2)(34,10)(2337,128)(49,300)", all());
    removeFile("/mnt/mtd/code/config_file/sensor1_0.cfg");
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,300)", all());
}

TEST_F(ReadingTest, FromMemoryTheSchemeIsCorrectedInPlace) {
    writeFiles(199, 3);
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,250)", all());
    ispsim::clearCalls();
    EXPECT_EQ(250, get(49));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(300, stored(49, 1));
}

// Neither the factory set nor the scheme -1 of a controller before its first
// switch is reported, from flash or from memory.
TEST_F(ReadingTest, OutsideTheUserSchemesNothingIsAppended) {
    for (int nStyle : {206, 100}) {
        writeFiles(nStyle, 3);
        for (int nScheme : {4, -1}) {
            m_pAccess->curScheme() = nScheme;
            EXPECT_EQ("(1,2)", all()) << nStyle << " " << nScheme;
        }
    }
    EXPECT_EQ(300, stored(49, 4));
}

}  // namespace
