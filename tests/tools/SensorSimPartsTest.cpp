// The simulator's parts that read the user's words and describe what the
// library did: the statement splitter, numbers and keys, the working-root
// diff, the video settings and the descriptions of ISP calls and files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>

#include "CommandParser.h"
#include "DeviceFixture.h"
#include "FileTree.h"
#include "KeyNames.h"
#include "SimulatedVideoModule.h"
#include "Trace.h"
#include "Values.h"
#include "VideoSettings.h"

using namespace sensorsim;

namespace {

std::vector<Statement> split(const std::string& p_strText) {
    std::vector<Statement> vecStatements;
    std::string strError;
    EXPECT_TRUE(splitStatements(p_strText, vecStatements, strError)) << strError;
    return vecStatements;
}

TEST(SensorSimStatements, SemicolonsLinesAndCommentsSeparate) {
    const auto vecStatements = split("set 34 60; get 34\n\n# a note\nflush  # save it\n;;\n");

    ASSERT_EQ(3u, vecStatements.size());
    EXPECT_EQ((std::vector<std::string>{"set", "34", "60"}), vecStatements[0].words);
    EXPECT_EQ((std::vector<std::string>{"get", "34"}), vecStatements[1].words);
    EXPECT_EQ((std::vector<std::string>{"flush"}), vecStatements[2].words);
    EXPECT_EQ(1, vecStatements[1].line);
    EXPECT_EQ(4, vecStatements[2].line);
    EXPECT_EQ("flush", vecStatements[2].text);
}

TEST(SensorSimStatements, QuotesKeepBlanksSemicolonsAndHashesAndMustBeClosed) {
    const auto vecStatements = split("style \"my style.xml\"; echo \"a;b # c\" d");
    ASSERT_EQ(2u, vecStatements.size());
    EXPECT_EQ((std::vector<std::string>{"style", "my style.xml"}), vecStatements[0].words);
    EXPECT_EQ((std::vector<std::string>{"echo", "a;b # c", "d"}), vecStatements[1].words);

    std::vector<Statement> vecRefused;
    std::string strError;
    EXPECT_FALSE(splitStatements("get 34\nstyle \"open.xml\nflush", vecRefused, strError));
    EXPECT_EQ("line 2: the quote is not closed", strError);
}

// Values above the signed range keep their bits.
TEST(SensorSimValues, NumbersAreThirtyTwoBitDecimalOrHex) {
    const struct {
        const char* szWord;
        bool bOk;
        long long nValue;
    } aCases[] = {{"60", true, 60},        {"-5", true, -5},          {"+7", true, 7},
                  {"0x1F", true, 31},      {"010", true, 10},         {"4294967295", true, 4294967295LL},
                  {"-2147483648", true, -2147483648LL}, {"4294967296", false, 0}, {"-2147483649", false, 0},
                  {"6O", false, 0},        {"", false, 0},            {" 5", false, 0},
                  {"0x", false, 0},        {"-", false, 0},           {"99999999999999999999", false, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szWord);
        if (c.bOk) {
            EXPECT_EQ(c.nValue, parseInteger(c.szWord, "value"));
        } else {
            EXPECT_THROW(parseInteger(c.szWord, "value"), InputError);
        }
    }
    EXPECT_EQ(-1, parseValue("4294967295", "value"));
    EXPECT_EQ(-2147483647 - 1, parseValue("0x80000000", "value"));
}

TEST(SensorSimKeys, NamesMatchWithoutCaseOrPrefixAndNumbersMatchTheTable) {
    const std::pair<const char*, unsigned int> aNames[] = {
        {"34", 34u}, {"brightness", 34u}, {"Key_Brightness", 34u}, {"IA_CMD_UI_SHUTTER_RESET", 8231u},
        {"KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV", 8104u}, {"_DDE_MANUAL_STRG", 8240u}, {"201", 201u}};
    for (const auto& name : aNames) EXPECT_EQ(name.second, parseKey(name.first).key) << name.first;
    for (const char* szWord : {"9999", "-34", "BRIGHT"}) EXPECT_THROW(parseKey(szWord), InputError) << szWord;
    // The map's rows and the four twins, each key once.
    const std::vector<KeyInfo>& vecKeys = allKeys();
    EXPECT_EQ(169u, vecKeys.size());
    std::set<unsigned int> setKeys;
    for (const KeyInfo& stKey : vecKeys) EXPECT_TRUE(setKeys.insert(stKey.key).second) << stKey.key;
    EXPECT_STREQ("", findKey(8000)->handler);
    EXPECT_STREQ("doIaCmd_User", findKey(17)->handler);
}

// Command 83 is KEY_IRIS_UP's, though key 83 (KEY_IRIS_SIZE) sends 85.
TEST(SensorSimKeys, CommandsAreNamedByTheRowThatSendsThem) {
    const std::pair<int, const char*> aCommands[] = {{83, "KEY_IRIS_UP"},         {85, "KEY_IRIS_SIZE"},
                                                     {168, "KEY_WHITE_SWITCH"},   {170, "KEY_WHITE_MANUAL_STRG"},
                                                     {2464, "KEY_SENSOR_FPS"},    {153, "IA_CMD_DN_STATE"},
                                                     {4242, ""}};
    for (const auto& command : aCommands) EXPECT_EQ(command.second, commandName(command.first)) << command.first;
}

TEST(SensorSimClock, ReadsHoursAndMinutesOfADay) {
    int nHour = -1;
    int nMinute = -1;
    parseClock("7:05", nHour, nMinute);
    EXPECT_EQ(7, nHour);
    EXPECT_EQ(5, nMinute);
    for (const char* szWord : {"24:00", "18:60", "18:3", "18-30", ":30", "183:0", "1a:30"})
        EXPECT_THROW(parseClock(szWord, nHour, nMinute), InputError) << szWord;
}

class SensorSimTree : public DeviceFixture {
protected:
    void write(const std::string& p_strCameraPath, const std::string& p_strBytes) const {
        writeFile(p_strCameraPath, p_strBytes);
    }
    TreeSnapshot snapshot() const { return snapshotTree(root(), &keepsContent); }
};

std::string record(uint32_t p_nKey, int32_t p_nValue) {
    std::string strBytes(8, '\0');
    const uint32_t nValue = static_cast<uint32_t>(p_nValue);
    for (int i = 0; i < 4; ++i) {
        strBytes[i] = static_cast<char>((p_nKey >> (8 * i)) & 0xff);
        strBytes[4 + i] = static_cast<char>((nValue >> (8 * i)) & 0xff);
    }
    return strBytes;
}

TEST_F(SensorSimTree, ARewriteWithTheSameBytesInTheSameClockTickCounts) {
    const std::string strScheme = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    write(strScheme, record(34, 50));
    const TreeSnapshot mapBefore = snapshot();
    WriteWatch objWrites(root());
    write(strScheme, record(34, 50));
    makeDirectories(root() + "/tmp/new");
    const std::set<std::string> setWritten = objWrites.written();
    write("/tmp/new/later.txt", "x");

    const auto vecChanges = diffTrees(mapBefore, snapshot(), objWrites.written());

    EXPECT_EQ(1u, setWritten.count(strScheme));
    EXPECT_EQ(1u, objWrites.written().count("/tmp/new/later.txt")) << "a folder made meanwhile is watched";
    ASSERT_EQ(2u, vecChanges.size());
    EXPECT_EQ(FileChange::Written, vecChanges[0].kind);
    EXPECT_EQ(strScheme, vecChanges[0].path);
    EXPECT_EQ(FileChange::Created, vecChanges[1].kind);
    EXPECT_EQ(std::vector<std::string>{"file written " + strScheme + " (1 record, no value changed)"},
              describeFileChange(vecChanges[0]));
}

// Scheme files show the values that changed, the version file its version.
TEST_F(SensorSimTree, CreatedWrittenAndRemovedFilesAreFoundAndDescribed) {
    const std::string strScheme = "/mnt/mtd/code/config_file/sensor-thermal0.cfg";
    const std::string strVersion = "/mnt/mtd/code/config_file/snsversion.cfg";
    std::string strOld;
    std::string strNew;
    for (uint32_t nKey = 0; nKey < 14; ++nKey) {
        strOld += record(9000 + nKey, 1);
        strNew += record(9000 + nKey, nKey < 13 ? 2 : 1);
    }
    write(strScheme, strOld + record(34, 50));
    write("/keep.txt", "same");
    write("/gone.txt", "x");
    write("/grow.txt", "a");
    const TreeSnapshot mapBefore = snapshot();
    write(strScheme, strNew + record(34, -60));
    write(strVersion, std::string("\x08\x00\x00\x00", 4));
    write("/grow.txt", "ab");
    write("/new.txt", "n");
    unlink((root() + "/gone.txt").c_str());

    const auto vecChanges = diffTrees(mapBefore, snapshot());

    ASSERT_EQ(5u, vecChanges.size());
    const std::pair<FileChange::Kind, std::string> aExpected[] = {{FileChange::Removed, "/gone.txt"},
                                                                   {FileChange::Written, "/grow.txt"},
                                                                   {FileChange::Written, strScheme},
                                                                   {FileChange::Created, strVersion},
                                                                   {FileChange::Created, "/new.txt"}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(aExpected[i].first, vecChanges[i].kind) << i;
        EXPECT_EQ(aExpected[i].second, vecChanges[i].path) << i;
    }
    const std::vector<std::string> vecLines = describeFileChange(vecChanges[2]);
    ASSERT_EQ(12u, vecLines.size());
    EXPECT_EQ("file written " + strScheme + " (15 records, 14 changed)", vecLines[0]);
    EXPECT_EQ("  KEY_PANO_STITCH_DIST (9000) 1 -> 2", vecLines[1]);
    EXPECT_EQ("  ... and 4 more", vecLines[11]);
    EXPECT_EQ(std::vector<std::string>{"file created " + strVersion + " (version 8)"}, describeFileChange(vecChanges[3]));
}

TEST_F(SensorSimTree, VideoSettingsReachTheVideoModule) {
    const std::string strPath = root() + "/video.ini";
    std::ofstream(strPath) << "# streams\nhardwareModel = Hi3516AV200\nstream=1,1080\nstream = 1, 240 # sub\n"
                              "limitFramesModeId=0\nlimitWdr=1\n";
    VideoSettings stSettings;
    std::string strError;
    ASSERT_TRUE(readVideoSettings(strPath, stSettings, strError)) << strError;
    SimulatedVideoModule objVideo;
    applyVideoSettings(stSettings, objVideo);

    std::vector<AVStreamParam> vecStreams;
    objVideo.listStreamParams(vecStreams);
    LimitedFramesWDRModeParam objLimit;
    objVideo.getLimitedFramesWDRModeParam(1, objLimit);
    EXPECT_EQ("Hi3516AV200", stSettings.hardwareModel);
    ASSERT_EQ(2u, vecStreams.size());
    EXPECT_EQ(240, vecStreams[1].getVideoHeight());
    EXPECT_EQ(0, objLimit.getLimitFramesModeId());
    EXPECT_EQ(1, objLimit.getLimitWdr());
}

TEST_F(SensorSimTree, AVideoSettingThatDoesNotReadNamesItsLine) {
    const std::string strPath = root() + "/video.ini";
    for (const auto& item : std::vector<std::pair<std::string, std::string>>{
             {"stream=1,1080\nstreams=1,720\n", ":2: unknown setting 'streams'"},
             {"stream=1080\n", ":1: stream needs 'encoder type,picture height'"},
             {"\nlimitWdr=on\n", ":2: limitWdr 'on' is not a number"},
             {"hardwareModel\n", ":1: expected name=value"}}) {
        std::ofstream(strPath) << item.first;
        VideoSettings stSettings;
        std::string strError;
        EXPECT_FALSE(readVideoSettings(strPath, stSettings, strError)) << item.first;
        EXPECT_EQ(strPath + item.second, strError);
    }
}

ispsim::Call call(int p_nCmd, unsigned int p_nOption, const std::vector<int32_t>& p_vecIn,
                  const std::vector<int32_t>& p_vecOut, int p_nStatus) {
    ispsim::Call stCall;
    stCall.channel = 1;
    stCall.cmd = p_nCmd;
    stCall.option = p_nOption;
    stCall.dataIn.resize(p_vecIn.size() * 4);
    if (!p_vecIn.empty()) std::memcpy(stCall.dataIn.data(), p_vecIn.data(), stCall.dataIn.size());
    stCall.dataOut.resize(p_vecOut.size() * 4);
    if (!p_vecOut.empty()) std::memcpy(stCall.dataOut.data(), p_vecOut.data(), stCall.dataOut.size());
    stCall.status = p_nStatus;
    return stCall;
}

TEST(SensorSimIspCalls, ValuesRecordsAndFailuresAreDescribed) {
    EXPECT_EQ("isp ch2 set 34 KEY_BRIGHTNESS: 60 -> ok", describeIspCall(call(34, 0, {60}, {60}, 0)));
    EXPECT_EQ("isp ch2 get 1607 (temperature): answer 41 -> ok", describeIspCall(call(1607, 1, {0}, {41}, 0)));
    EXPECT_EQ("isp ch2 correct 49 KEY_MAX_SHUTTER: 3, answer 4 -> ok", describeIspCall(call(49, 3, {3}, {4}, 0)));
    EXPECT_EQ("isp ch2 set 145 KEY_DTN_THR: record of 12 bytes: 30 70 1 -> failed, status -4",
              describeIspCall(call(145, 0, {30, 70, 1}, {30, 70, 1}, -4)));
    // A range answer: item list type, default, min, max, item count, items.
    std::vector<int32_t> vecRange(sizeof(ia_dynamic_params_attr_st) / 4, 0);
    const int32_t aAnswer[] = {0, 6, 4, 22, 3, 4, 6, 22};
    std::copy(aAnswer, aAnswer + 8, vecRange.begin());
    EXPECT_EQ("isp ch2 range 49 KEY_MAX_SHUTTER: answer: type 0, default 6, 4 to 22, items 4 6 22 -> ok",
              describeIspCall(call(49, 2, std::vector<int32_t>(vecRange.size(), 0), vecRange, 0)));
}

}  // namespace
