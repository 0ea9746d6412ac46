// Reading parameters back: cache first, the ISP only for keys outside the
// schemes, the id-list answer, the whole scheme from flash or memory, and the
// correction of values by the ISP's dynamic-parameter ranges.
#include <string.h>

#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "SensorKeyVal.h"

namespace {

class ReadingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_BRIGHTNESS, 50}, {KEY_SATURATION, 128}, {KEY_MAX_SHUTTER, 300}});
        // KEY_MAX_SHUTTER and KEY_MAX_SHUTTER_NIGHT with item lists, KEY_IRIS_POSITION with a plain range.
        listRanges({{KEY_MAX_SHUTTER, 0, 100, 50, 250, {50, 100, 250}}, {KEY_IRIS_POSITION, 1, 700, 400, 2800, {}},
                    {KEY_MAX_SHUTTER_NIGHT, 0, 6, 1, 9, {1, 6, 9}}});
        ispsim::setValue(0, KEY_BRIGHTNESS, 77);
        ispsim::setValue(0, 4242, 77);
        ispsim::clearCalls();
    }
    // The merged style of channel 1 with the given KEY_MAX_SHUTTER value (at
    // 200 and up the answer comes from flash), and scheme 0's file holding
    // the first records of (34,10)(2337,20)(49,30).
    void writeFiles(int p_nMaxShutter, size_t p_nRecords) {
        writeFile("/tmp/merge_style_ch1.xml",
                  "<style><tab><param id=\"49\" value=\"" + std::to_string(p_nMaxShutter) + "\"/></tab></style>");
        writeFile(std::string(kConfigDir) + "/sensor1_0.cfg",
                  image(std::vector<KeyVal>{{KEY_BRIGHTNESS, 10}, {KEY_SATURATION, 20}, {KEY_MAX_SHUTTER, 30}}).substr(0, 8 * p_nRecords));
    }
    std::string all() {
        std::string strOut = "(1,2)";
        m_strStdout = printedBy([&] { EXPECT_TRUE(controller().getAllParameters(strOut)); });
        return strOut;
    }
    int get(int p_nKey) {
        int nValue = -7;
        EXPECT_TRUE(controller().getParameter(p_nKey, nValue)) << p_nKey;
        return nValue;
    }
    size_t corrections() const {
        size_t nCount = 0;
        for (const ispsim::Call& stCall : ispsim::calls()) nCount += stCall.option == IA_CMD_OPT_CORRECT_PARAM;
        return nCount;
    }
    std::string m_strStdout;
};

// An infrared key the schemes lack reads -1, without the ISP; an unreadable
// key is left out of an id list.
TEST_F(ReadingTest, ACachedKeyIsAnsweredWithoutTheIspAnUncachedOneWithTheKeyAsCommand) {
    EXPECT_EQ(50, get(KEY_BRIGHTNESS));
    for (int nKey : {KEY_IR_SWITCH, KEY_IR_MODE, KEY_IR_MANUAL_STRG_NEAR, KEY_IR_MANUAL_STRG_MEDIUM, KEY_IR_MANUAL_STRG_FAR}) {
        ispsim::setValue(0, nKey, 3);
        EXPECT_EQ(-1, get(nKey));
    }
    ispsim::clearCalls();
    EXPECT_EQ(77, get(4242));
    ASSERT_EQ(1u, ispsim::calls().size());
    EXPECT_EQ(4242, ispsim::calls()[0].cmd);
    EXPECT_EQ(static_cast<unsigned>(IA_CMD_OPT_GET), ispsim::calls()[0].option);
    ispsim::failCommand(0, 4242, -1);
    int nValue = 0;
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_FALSE(controller().getParameter(4242, nValue)); })
                                     .find("get key(4242) val from 2a err"));
    std::string strOut = "old";
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_TRUE(controller().getParameters("(34,4242,2337)", strOut)); })
                                     .find("@@ out_Parameters = (34,50)(2337,128) @@\n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
    const std::string strStdout = printedBy([&] { EXPECT_FALSE(controller().getParameters("34,4242,2337", strOut)); });
    EXPECT_EQ(0u, strStdout.find("ParameterReading.cpp"));
    EXPECT_NE(std::string::npos, strStdout.find(" getParameters fail p_strIds = 34,4242,2337 \n"));
    EXPECT_EQ("(34,50)(2337,128)", strOut);
}

// A key that names a record command is refused with a report: the ISP would
// write the whole record past the caller's one word.
TEST_F(ReadingTest, AKeyThatNamesARecordCommandIsRefused) {
    struct {
        int nValue;
        unsigned char abyAfter[64];
    } stGuarded;
    memset(&stGuarded, 0xa5, sizeof(stGuarded));
    EXPECT_NE(std::string::npos, printedBy([&] { EXPECT_FALSE(controller().getParameter(2496, stGuarded.nValue)); })
                                     .find("key(2496) is an ISP record command, not read\n"));
    EXPECT_EQ(std::string(64, '\xa5'), std::string(stGuarded.abyAfter, stGuarded.abyAfter + 64));
    std::string strOut;
    EXPECT_TRUE(controller().getParameters("(4112,34,145,2816)", strOut));
    EXPECT_EQ("(34,50)", strOut);
    EXPECT_TRUE(ispsim::calls().empty());
}

// Records a short or missing file lacks show the cache, not scratch data.
TEST_F(ReadingTest, FromFlashTheSchemeFileIsAppendedAndCompletedFromTheCache) {
    writeFiles(200, 3);
    std::string strOut = "(1,2)";
    EXPECT_TRUE(controller().getAllParameters(strOut));
    EXPECT_TRUE(controller().getAllParameters(strOut));
    EXPECT_EQ("(1,2)(34,10)(2337,20)(49,30)(34,10)(2337,20)(49,30)", strOut);
    EXPECT_EQ(50, stored(KEY_BRIGHTNESS));
    for (u32 i = 0; i < access().keyValSum(); ++i) access().keyValTmp()[i] = {999, 999};
    writeFiles(206, 1);
    EXPECT_EQ("(1,2)(34,10)(2337,128)(49,300)", all());
    removeFile(std::string(kConfigDir) + "/sensor1_0.cfg");
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,300)", all());
    // A file of another style is read by key: order and extra keys do not count.
    writeFile(std::string(kConfigDir) + "/sensor1_0.cfg", image({{KEY_MAX_SHUTTER, 30}, {7, 1}, {KEY_BRIGHTNESS, 10}}));
    EXPECT_EQ("(1,2)(34,10)(2337,128)(49,30)", all());
}

// From memory the ISP corrects the first record of each key it lists to the
// nearest accepted value, in the cache; a listed command without a record is
// reported at any level, and an unread list corrects nothing.
TEST_F(ReadingTest, FromMemoryTheSchemeIsCorrectedInPlace) {
    writeFiles(199, 3);
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,250)", all());
    ispsim::clearCalls();
    EXPECT_EQ(250, get(KEY_MAX_SHUTTER));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(300, stored(KEY_MAX_SHUTTER, 1));

    setDebugControl("0\n");
    layOut({{KEY_BRIGHTNESS, 7}, {KEY_MAX_SHUTTER, 300}, {KEY_IRIS_POSITION, 5000}, {KEY_MAX_SHUTTER_NIGHT, 4}, {KEY_MAX_SHUTTER, 300}});
    ispsim::clearCalls();
    EXPECT_EQ("(1,2)(34,7)(49,250)(82,2800)(56,6)(49,300)", all());
    EXPECT_EQ(3u, corrections());
    layOut({{KEY_MAX_SHUTTER, 100}, {KEY_MAX_SHUTTER_NIGHT, 9}});
    ispsim::clearCalls();
    EXPECT_EQ("(1,2)(49,100)(56,9)", all());
    EXPECT_NE(std::string::npos, m_strStdout.find("cmd_list[1]=82\n"));
    EXPECT_EQ(std::string::npos, m_strStdout.find("cmd_list[0]"));
    EXPECT_EQ(2u, corrections());

    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    layOut({{KEY_MAX_SHUTTER, 300}});
    ispsim::clearCalls();
    EXPECT_EQ("(1,2)(49,300)", all());
    EXPECT_NE(std::string::npos, m_strStdout.find("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_EQ(0u, corrections());
    EXPECT_NE(std::string::npos,
              printedBy([] { EXPECT_EQ(-1, keyval_correct(0, nullptr, 4)); }).find("NULL != p_pKeyval"));
}

// The merged style file goes through the nesting guard like any text; one it
// refuses gives way to the merged text in memory, here answering from memory.
TEST_F(ReadingTest, AMergedStyleFileTheGuardRefusesGivesWayToTheTextInMemory) {
    writeFiles(206, 3);
    std::string strDeep;
    for (int i = 0; i < 100000; ++i) strDeep += "<a>";
    writeFile("/tmp/merge_style_ch1.xml", strDeep);
    char szStyle[] = "<style><tab><param id=\"49\" value=\"199\"/></tab></style>";
    access().sysConf().szUIStyle = szStyle;
    EXPECT_EQ("(1,2)(34,50)(2337,128)(49,250)", all());
    access().sysConf().szUIStyle = nullptr;
}

// The factory set has no file, so nothing comes from flash; from memory it is
// corrected and appended like a user scheme. Scheme -1 of a controller before
// its first switch has no array to answer from.
TEST_F(ReadingTest, TheFactorySetIsAnsweredFromMemoryOnlyAndSchemeMinusOneNowhere) {
    for (int nStyle : {206, 100}) {
        writeFiles(nStyle, 3);
        for (int nScheme : {4, -1}) {
            access().curScheme() = nScheme;
            EXPECT_EQ(nStyle == 100 && nScheme == 4 ? "(1,2)(34,50)(2337,128)(49,250)" : "(1,2)", all())
                << nStyle << " " << nScheme;
        }
    }
    EXPECT_EQ(250, stored(KEY_MAX_SHUTTER, 4));
}

}  // namespace
