// The simulator's parts that read the user's words and describe what the
// library did, where a session cannot reach every case: number and clock
// bounds, commands sent by other rows, tree diffs and ISP-call forms.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "DeviceFixture.h"
#include "FileTree.h"
#include "KeyNames.h"
#include "SimulatedCamera.h"
#include "SimulatedVideoModule.h"
#include "Trace.h"
#include "Values.h"
#include "VideoSettings.h"
#include "platform/CameraPaths.h"

using namespace sensorsim;

namespace {

// Values above the signed range keep their bits.
TEST(SensorSimValues, NumbersAreThirtyTwoBitDecimalOrHexAndClocksADaysTime) {
    const std::pair<const char*, long long> aGood[] = {
        {"-5", -5}, {"+7", 7}, {"0x1F", 31}, {"010", 10}, {"4294967295", 4294967295LL}, {"-2147483648", -2147483648LL}};
    for (const auto& c : aGood) EXPECT_EQ(c.second, parseInteger(c.first, "value")) << c.first;
    for (const char* szWord : {"4294967296", "-2147483649", "", " 5", "0x", "-", "99999999999999999999"})
        EXPECT_THROW(parseInteger(szWord, "value"), InputError) << szWord;
    EXPECT_EQ(-1, parseValue("4294967295", "value"));
    int nHour = -1;
    int nMinute = -1;
    parseClock("7:05", nHour, nMinute);
    EXPECT_EQ(7, nHour);
    EXPECT_EQ(5, nMinute);
    for (const char* szWord : {"24:00", "18:60", "18:3", ":30", "1a:30"})
        EXPECT_THROW(parseClock(szWord, nHour, nMinute), InputError) << szWord;
}

// Command 83 is KEY_IRIS_UP's, though key 83 (KEY_IRIS_SIZE) sends 85.
TEST(SensorSimKeys, NamesWithoutCaseOrPrefixAndCommandsByTheRowThatSendsThem) {
    const std::pair<const char*, unsigned int> aNames[] = {{"Key_Brightness", 34u},
                                                           {"IA_CMD_UI_SHUTTER_RESET", 8231u},
                                                           {"KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV", 8104u},
                                                           {"_DDE_MANUAL_STRG", 8240u},
                                                           {"201", 201u}};
    for (const auto& c : aNames) EXPECT_EQ(c.second, parseKey(c.first).key) << c.first;
    EXPECT_THROW(parseKey("-34"), InputError);
    EXPECT_EQ(169u, allKeys().size());  // the map's rows and the four twins
    const std::pair<int, const char*> aCommands[] = {
        {83, "KEY_IRIS_UP"}, {85, "KEY_IRIS_SIZE"}, {168, "KEY_WHITE_SWITCH"}, {4242, ""}};
    for (const auto& c : aCommands) EXPECT_EQ(c.second, commandName(c.first)) << c.first;
}

class SensorSimTree : public DeviceFixture {
protected:
    TreeSnapshot snapshot() const { return snapshotTree(root(), &keepsContent); }
};

// A rewrite with the same bytes in the same clock tick shows only through
// the write watch, which also watches folders made meanwhile.
TEST_F(SensorSimTree, ChangedFilesAreFoundAndDescribed) {
    const std::string strScheme = "/mnt/mtd/code/config_file/sensor-thermal0.cfg";
    const std::string strSame = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    const std::string strVersion = camerapath::VERSION_FILE;
    std::vector<KeyVal> vecOld = {{34, 50}};
    std::vector<KeyVal> vecNew = {{34, static_cast<u32>(-60)}};
    for (u32 nKey = 0; nKey < 14; ++nKey) {
        vecOld.insert(vecOld.end() - 1, KeyVal{9000 + nKey, 1});
        vecNew.insert(vecNew.end() - 1, KeyVal{9000 + nKey, nKey < 13 ? 2u : 1u});
    }
    writeFile(strScheme, simdevice::schemeImage(vecOld));
    writeFile(strSame, simdevice::schemeImage({{34, 50}}));
    writeFile("/gone.txt", "x");
    const TreeSnapshot mapBefore = snapshot();
    WriteWatch objWrites(root());
    writeFile(strScheme, simdevice::schemeImage(vecNew));
    writeFile(strSame, simdevice::schemeImage({{34, 50}}));
    writeFile(strVersion, std::string("\x08\x00\x00\x00", 4));
    makeDirectories(root() + "/tmp/new");
    // A look in between: the folder made before it is watched from then on.
    EXPECT_EQ(1u, objWrites.written().count(strSame));
    writeFile("/tmp/new/later.txt", "x");
    unlink((root() + "/gone.txt").c_str());

    const auto vecChanges = diffTrees(mapBefore, snapshot(), objWrites.written());
    EXPECT_EQ(1u, objWrites.written().count("/tmp/new/later.txt"));
    const std::pair<FileChange::Kind, std::string> aExpected[] = {{FileChange::Removed, "/gone.txt"},
                                                                  {FileChange::Written, strScheme},
                                                                  {FileChange::Written, strSame},
                                                                  {FileChange::Created, strVersion},
                                                                  {FileChange::Created, "/tmp/new/later.txt"}};
    ASSERT_EQ(5u, vecChanges.size());
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(aExpected[i].first, vecChanges[i].kind) << i;
        EXPECT_EQ(aExpected[i].second, vecChanges[i].path) << i;
    }
    const std::vector<std::string> vecLines = describeFileChange(vecChanges[1]);
    ASSERT_EQ(12u, vecLines.size());
    EXPECT_EQ("file written " + strScheme + " (15 records, 14 changed)", vecLines[0]);
    EXPECT_EQ("  KEY_PANO_STITCH_DIST (9000) 1 -> 2", vecLines[1]);
    EXPECT_EQ("  ... and 4 more", vecLines[11]);
    EXPECT_EQ(std::vector<std::string>{"file written " + strSame + " (1 record, no value changed)"},
              describeFileChange(vecChanges[2]));
    EXPECT_EQ(std::vector<std::string>{"file created " + strVersion + " (version 8)"},
              describeFileChange(vecChanges[3]));
}

// Blanks around the parts and comments are read and the settings reach the
// video module; a line not understood is named.
TEST_F(SensorSimTree, VideoSettingsReadBlanksAndCommentsAndNameALineTheyDoNotUnderstand) {
    const std::string strPath = root() + "/video.ini";
    std::ofstream(strPath) << "# streams\nstream=1,1080\nstream = 1, 240 # sub\nlimitFramesModeId=0\nlimitWdr=1\n";
    VideoSettings stRead;
    std::string strReadError;
    ASSERT_TRUE(readVideoSettings(strPath, stRead, strReadError)) << strReadError;
    SimulatedVideoModule objVideo;
    applyVideoSettings(stRead, objVideo);
    std::vector<AVStreamParam> vecStreams;
    objVideo.listStreamParams(vecStreams);
    LimitedFramesWDRModeParam objLimit;
    objVideo.getLimitedFramesWDRModeParam(1, objLimit);
    ASSERT_EQ(2u, vecStreams.size());
    EXPECT_EQ(240, vecStreams[1].getVideoHeight());
    EXPECT_EQ(0, objLimit.getLimitFramesModeId());
    EXPECT_EQ(1, objLimit.getLimitWdr());
    for (const auto& item : std::vector<std::pair<std::string, std::string>>{
             {"stream=1,1080\nstreams=1,720\n", ":2: unknown setting 'streams'"},
             {"stream=1080\n", ":1: stream needs 'encoder type,picture height'"},
             {"hardwareModel\n", ":1: expected name=value"}}) {
        std::ofstream(strPath) << item.first;
        VideoSettings stSettings;
        std::string strError;
        EXPECT_FALSE(readVideoSettings(strPath, stSettings, strError)) << item.first;
        EXPECT_EQ(strPath + item.second, strError);
    }
}

// The ISP data as host-order words.
ispsim::Call call(int p_nCmd, unsigned int p_nOption, const std::vector<int32_t>& p_vecIn,
                  const std::vector<int32_t>& p_vecOut, int p_nStatus) {
    const auto bytes = [](const std::vector<int32_t>& p_vecWords) {
        const uint8_t* pBytes = reinterpret_cast<const uint8_t*>(p_vecWords.data());
        return std::vector<uint8_t>(pBytes, pBytes + 4 * p_vecWords.size());
    };
    return ispsim::Call{1, p_nCmd, p_nOption, bytes(p_vecIn), bytes(p_vecOut), p_nStatus};
}

TEST(SensorSimIspCalls, CorrectionsRecordsRangesAndFailuresAreDescribed) {
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
