// End-to-end runs of sensordll-cfg on files made in the test's root, most by
// the library's own writers, checked through the program's output, exit
// status and the files it leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SensorFile.h"
#include "SensorVersion.h"
#include "StartedControllers.h"

namespace {

struct CfgResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Channel 1's scheme 0 as the controller writes it in kFile: the scheme keys,
// a negative value, a name longer than the map's field and a map-less twin.
const std::vector<KeyVal> kRecords = {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0},
                                      {34, 50},  {2353, static_cast<u32>(-3)},    {8104, 7}, {201, 2}};
const char* const kFile = "/cfg/sensor1_0.cfg";

class SensorDllCfgTest : public StartedControllers {
protected:
    void SetUp() override {
        StartedControllers::SetUp();
        mkdir(hostPath("/cfg").c_str(), 0755);
        std::string strName = kFile;
        keyValToFile(&strName[0], const_cast<KeyVal*>(kRecords.data()), static_cast<u32>(kRecords.size()));
    }

    // Runs the program (through the cross build's emulator, if any); camera
    // paths among the arguments (starting with '/') are taken in the root.
    CfgResult run(const std::vector<std::string>& p_vecArgs) const {
        std::string strCommand = SENSORDLL_CFG_EMULATOR " " SENSORDLL_CFG_EXE;
        for (const std::string& strArg : p_vecArgs)
            strCommand += " '" + (strArg[0] == '/' ? hostPath(strArg) : strArg) + "'";
        strCommand += " >" + hostPath("/out.txt") + " 2>" + hostPath("/err.txt");
        const int nStatus = std::system(strCommand.c_str());
        return {WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1, readFile("/out.txt"), readFile("/err.txt")};
    }
};

TEST_F(SensorDllCfgTest, ShowsRecordsByTheirKeyTableNames) {
    ASSERT_EQ(0, setVersion(8));
    const std::string strNames =
        "KEY_SCHEME_MODE (8000) = 0\nKEY_SCHEME_START_HOUR (8001) = 0\nKEY_SCHEME_START_MIN (8002) = 0\n"
        "KEY_SCHEME_END_HOUR (8003) = 24\nKEY_SCHEME_END_MIN (8004) = 0\nKEY_BRIGHTNESS (34) = 50\n"
        "KEY_CONTRAST (2353) = -3\nKEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV (8104) = 7\n"
        "KEY_IR_MANUAL_STRG_MEDIUM_INTELL (201) = 2\n";
    EXPECT_EQ(strNames, run({"show", kFile}).out);
    EXPECT_EQ("0\n0\n0\n24\n0\n50\n-3\n7\n2\n", run({"show", "-n", kFile}).out);
    EXPECT_EQ("version = 8\n", run({"show", camerapath::VERSION_FILE}).out);
    const CfgResult stJson = run({"show", "--json", kFile});
    EXPECT_EQ(0, stJson.status);
    EXPECT_EQ(0u, stJson.out.find("[{\"key\":8000,\"name\":\"KEY_SCHEME_MODE\",\"value\":0},")) << stJson.out;
    EXPECT_NE(std::string::npos, stJson.out.find("{\"key\":2353,\"name\":\"KEY_CONTRAST\",\"value\":-3}"));
    EXPECT_EQ("[{\"version\":8}]\n", run({"show", "--json", camerapath::VERSION_FILE}).out);
}

TEST_F(SensorDllCfgTest, GetsKeysByNumberAndName) {
    EXPECT_EQ("KEY_BRIGHTNESS (34) = 50\nKEY_CONTRAST (2353) = -3\nKEY_IR_MANUAL_STRG_MEDIUM_INTELL (201) = 2\n",
              run({"get", kFile, "0x22", "contrast", "KEY_IR_MANUAL_STRG_MEDIUM_INTELL"}).out);
    EXPECT_EQ("7\n", run({"get", "-n", kFile, "8104"}).out);
    const CfgResult stAbsent = run({"get", kFile, "KEY_GAMMA"});
    EXPECT_EQ(1, stAbsent.status);
    EXPECT_NE(std::string::npos, stAbsent.err.find("no record of KEY_GAMMA (2528)")) << stAbsent.err;
    EXPECT_EQ(2, run({"get", kFile, "KEY_NO_SUCH"}).status);
    EXPECT_EQ(2, run({"get", kFile, "12345"}).status);
}

TEST_F(SensorDllCfgTest, SetReplacesOnlyTheNamedRecordsOrNothing) {
    chmod(hostPath(kFile).c_str(), 0640);
    const CfgResult stSet = run({"set", kFile, "brightness=60", "8104=-1"});
    EXPECT_EQ(0, stSet.status) << stSet.err;
    EXPECT_EQ("KEY_BRIGHTNESS (34): 50 -> 60\nKEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV (8104): 7 -> -1\n", stSet.out);
    std::vector<KeyVal> vecExpected = kRecords;
    setValue(vecExpected, 34, 60);
    setValue(vecExpected, 8104, 0xFFFFFFFFu);
    EXPECT_EQ(image(vecExpected), readFile(kFile));
    EXPECT_FALSE(fileExists(std::string(kFile) + ".tmp"));
    struct stat st;
    ASSERT_EQ(0, stat(hostPath(kFile).c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777u);

    // A key the file lacks, or a bad value, refuses the whole set.
    for (const char* szRefused : {"KEY_GAMMA=1", "34=4294967296", "34=1.5", "34"}) {
        const CfgResult stRefused = run({"set", kFile, "contrast=9", szRefused});
        EXPECT_NE(0, stRefused.status) << szRefused;
        EXPECT_EQ(image(vecExpected), readFile(kFile)) << szRefused;
    }

    ASSERT_EQ(0, setVersion(8));
    EXPECT_EQ(0, run({"set", camerapath::VERSION_FILE, "version=9"}).status);
    u32 nVersion = 0;
    EXPECT_EQ(0, getVersion(&nVersion));
    EXPECT_EQ(9u, nVersion);
}

TEST_F(SensorDllCfgTest, CheckReportsEachProblemWithItsFile) {
    std::vector<KeyVal> vecTwice = kRecords, vecUnknown = kRecords, vecOrder = kRecords;
    vecTwice.push_back({34, 1});
    vecUnknown[6].key = 12345;
    std::swap(vecOrder[1], vecOrder[2]);
    writeFile("/cfg/twice.cfg", image(vecTwice));
    writeFile("/cfg/unknown.cfg", image(vecUnknown));
    writeFile("/cfg/order.cfg", image(vecOrder));
    writeFile("/cfg/odd.cfg", image(kRecords).substr(0, 20));
    // The style's id 10 is the element the controller may drop by flag.
    writeFile("/cfg/style.xml",
              "<s><tab id=\"8000\" value=\"1\"><p id=\"8001\" value=\"0\"/><p id=\"8002\" value=\"0\"/></tab>"
              "<p id=\"8003\" value=\"0\"/><p id=\"8004\" value=\"0\"/><p id=\"34\" value=\"5\"/>"
              "<p id=\"2353\" value=\"5\"/><p id=\"201\" value=\"5\"/><p id=\"2528\" value=\"0\"/>"
              "<p id=\"8104\"/><p id=\"10\" value=\"0\"/></s>");
    const struct {
        const char* file;
        const char* problem;  // nullptr: clean
    } kCases[] = {
        {"/cfg/twice.cfg", "record 9: KEY_BRIGHTNESS (34) again, first at record 5"},
        {"/cfg/unknown.cfg", "record 6: key 12345 is not in the key table"},
        {"/cfg/order.cfg", "record 1 is KEY_SCHEME_START_MIN (8002), not KEY_SCHEME_START_HOUR (8001)"},
        {"/cfg/odd.cfg", "truncated: 20 bytes is not a whole number of 8-byte records"},
        {"/cfg/none.cfg", "cannot open: No such file or directory"},
        {kFile, nullptr},
    };
    for (const auto& stCase : kCases) {
        const CfgResult stCheck = run({"check", stCase.file});
        EXPECT_EQ(stCase.problem != nullptr ? 1 : 0, stCheck.status) << stCase.file;
        const std::string strLine = hostPath(stCase.file) + ": " + (stCase.problem ? stCase.problem : "ok, 9 records");
        EXPECT_EQ(0u, stCheck.out.find(strLine)) << stCheck.out;
    }

    const CfgResult stStyled = run({"check", "--style", "/cfg/style.xml", kFile});
    EXPECT_EQ(1, stStyled.status);
    EXPECT_EQ(hostPath(kFile) + ": KEY_GAMMA (2528) is in the style's factory set, not in the file\n" +
                  hostPath(kFile) + ": record 7: KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV (8104) is not in the "
                                    "style's factory set\n",
              stStyled.out);
    EXPECT_EQ(2, run({"check", "--style", "/cfg/odd.cfg", kFile}).status);
    EXPECT_EQ(2, run({"check", "--bogus", kFile}).status);
    EXPECT_EQ(2, run({"check"}).status);
}

TEST_F(SensorDllCfgTest, CheckAgreesWithTheFactorySetOfABundledMergedStyle) {
    ASSERT_TRUE(start(camera("thermal-dual")));
    const CfgResult stCheck = run({"check", "--style", "/tmp/merge_style_ch1.xml", "/mnt/mtd/code/config_file/sensor1_0.cfg",
                                   "/mnt/mtd/code/config_file/sensor1_3.cfg", camerapath::VERSION_FILE});
    EXPECT_EQ(0, stCheck.status) << stCheck.out;
}

TEST_F(SensorDllCfgTest, DiffGivesChangedValuesAndKeysOfOneFileOnly) {
    std::vector<KeyVal> vecOther(kRecords.begin(), kRecords.end() - 1);
    setValue(vecOther, 34, 51);
    vecOther.push_back({2528, 1});
    writeFile("/cfg/other.cfg", image(vecOther));
    const CfgResult stDiff = run({"diff", kFile, "/cfg/other.cfg"});
    EXPECT_EQ(1, stDiff.status);
    EXPECT_EQ("KEY_BRIGHTNESS (34): 50 -> 51\nKEY_IR_MANUAL_STRG_MEDIUM_INTELL (201): only in " + hostPath(kFile) +
                  " (= 2)\nKEY_GAMMA (2528): only in " + hostPath("/cfg/other.cfg") + " (= 1)\n",
              stDiff.out);
    const CfgResult stSame = run({"diff", kFile, kFile});
    EXPECT_EQ(0, stSame.status);
    EXPECT_EQ("", stSame.out);
}

TEST_F(SensorDllCfgTest, BadInputGetsAClearErrorAndStaysUntouched) {
    std::string strGarbage;
    for (int i = 0; i < 64; ++i) strGarbage.push_back(static_cast<char>(i * 37 + 11));
    writeFile("/cfg/odd.cfg", image(kRecords) + "xyz");
    writeFile("/cfg/big.cfg", std::string(171 * 8, '\0'));
    writeFile("/cfg/garbage.cfg", strGarbage);
    writeFile("/cfg/text.cfg", "brightness=50\n");
    const struct {
        const char* file;
        const char* error;
    } kCases[] = {
        {"/cfg/missing.cfg", "cannot open: No such file or directory"},
        {"/cfg", "is a directory"},
        {"/cfg/odd.cfg", "truncated: 75 bytes"},
        {"/cfg/big.cfg", "oversized: 1368 bytes, more than the 170 records"},
        {"/cfg/garbage.cfg", "record 0 holds key 2052403211, which is not in the key table"},
        {"/cfg/text.cfg", "truncated: 14 bytes"},
    };
    for (const auto& stCase : kCases) {
        const std::string strBefore = readFile(stCase.file);
        for (const std::vector<std::string>& vecArgs : std::vector<std::vector<std::string>>{
                 {"show", stCase.file}, {"set", stCase.file, "34=1"}, {"diff", kFile, stCase.file}}) {
            const CfgResult stRun = run(vecArgs);
            EXPECT_NE(0, stRun.status) << vecArgs[0] << " " << stCase.file;
            EXPECT_EQ(0u, stRun.err.find("sensordll-cfg: " + hostPath(stCase.file) + ": " + stCase.error))
                << stRun.err;
        }
        EXPECT_EQ(strBefore, readFile(stCase.file)) << stCase.file;
        EXPECT_FALSE(fileExists(std::string(stCase.file) + ".tmp")) << stCase.file;
    }
}

TEST_F(SensorDllCfgTest, UsageVersionAndHelp) {
    EXPECT_EQ("sensordll-cfg (libsensordll) " SENSORDLL_VERSION "\n", run({"--version"}).out);
    const CfgResult stHelp = run({"--help"});
    EXPECT_EQ(0, stHelp.status);
    for (const char* szPart : {"Usage: sensordll-cfg show", "Options:", "Exit status:", "Examples:"})
        EXPECT_NE(std::string::npos, stHelp.out.find(szPart)) << szPart;
    EXPECT_EQ(2, run({}).status);
    EXPECT_EQ(2, run({"frobnicate"}).status);
    EXPECT_EQ(2, run({"diff", kFile}).status);
}

}  // namespace
