// End-to-end runs of the sensor-sim program: scripted sessions on each bundled
// profile, checked through the program's output, its exit status and the
// files it leaves in the working root.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "DeviceFixture.h"

extern char** environ;

namespace {

struct SimResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& p_strPath) {
    std::ifstream in(p_strPath, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& p_strPath) {
    struct stat st;
    return stat(p_strPath.c_str(), &st) == 0;
}

int removeEntry(const char* p_szPath, const struct stat*, int, struct FTW*) {
    return remove(p_szPath);
}

std::string makeTempDir() {
    const char* szTmp = getenv("TMPDIR");
    std::string strTemplate = std::string(szTmp != nullptr && *szTmp ? szTmp : "/tmp") + "/sensor-sim-test-XXXXXX";
    std::vector<char> vecName(strTemplate.begin(), strTemplate.end());
    vecName.push_back('\0');
    if (mkdtemp(vecName.data()) == nullptr) return "";
    return vecName.data();
}

// Starts the simulator (through the cross build's emulator, if any) with its
// standard output and error in files under p_strScratch and the given input.
pid_t startProgram(const std::vector<std::string>& p_vecArgs, const std::string& p_strScratch,
                   const std::string& p_strInput) {
    std::vector<std::string> vecCommand;
    std::istringstream emulator(SENSOR_SIM_EMULATOR);
    std::string strWord;
    while (emulator >> strWord) vecCommand.push_back(strWord);
    vecCommand.push_back(SENSOR_SIM_EXE);
    vecCommand.insert(vecCommand.end(), p_vecArgs.begin(), p_vecArgs.end());
    std::vector<char*> vecArgv;
    for (std::string& strArg : vecCommand) vecArgv.push_back(&strArg[0]);
    vecArgv.push_back(nullptr);

    const std::string strOut = p_strScratch + "/stdout.txt";
    const std::string strErr = p_strScratch + "/stderr.txt";
    posix_spawn_file_actions_t stActions;
    posix_spawn_file_actions_init(&stActions);
    posix_spawn_file_actions_addopen(&stActions, STDIN_FILENO, p_strInput.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&stActions, STDOUT_FILENO, strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&stActions, STDERR_FILENO, strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t nPid = 0;
    const int nSpawn = posix_spawnp(&nPid, vecArgv[0], &stActions, nullptr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&stActions);
    return nSpawn == 0 ? nPid : -1;
}

SimResult finishProgram(pid_t p_nPid, const std::string& p_strScratch) {
    SimResult stResult;
    if (p_nPid < 0) return stResult;
    int nWaitStatus = 0;
    if (waitpid(p_nPid, &nWaitStatus, 0) == p_nPid && WIFEXITED(nWaitStatus)) stResult.status = WEXITSTATUS(nWaitStatus);
    stResult.out = readFile(p_strScratch + "/stdout.txt");
    stResult.err = readFile(p_strScratch + "/stderr.txt");
    return stResult;
}

SimResult runProgram(const std::vector<std::string>& p_vecArgs, const std::string& p_strScratch,
                     const std::string& p_strInput = "/dev/null") {
    return finishProgram(startProgram(p_vecArgs, p_strScratch, p_strInput), p_strScratch);
}

// The camera path after "working root " up to the note in parentheses.
std::string workingRootOf(const std::string& p_strOutput) {
    const size_t nStart = p_strOutput.find("working root ");
    if (nStart == std::string::npos) return "";
    const size_t nEnd = p_strOutput.find(" (", nStart + 13);
    return nEnd == std::string::npos ? "" : p_strOutput.substr(nStart + 13, nEnd - nStart - 13);
}

// Key and value of each record of a scheme file (little-endian records).
std::map<uint32_t, int32_t> schemeRecords(const std::string& p_strBytes) {
    std::map<uint32_t, int32_t> mapRecords;
    for (size_t i = 0; i + 8 <= p_strBytes.size(); i += 8) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strBytes.data()) + i;
        const uint32_t nKey = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        const uint32_t nValue = p[4] | (p[5] << 8) | (p[6] << 16) | (static_cast<uint32_t>(p[7]) << 24);
        mapRecords.emplace(nKey, static_cast<int32_t>(nValue));
    }
    return mapRecords;
}

size_t countOf(const std::string& p_strText, const std::string& p_strPart) {
    size_t nCount = 0;
    for (size_t nPos = p_strText.find(p_strPart); nPos != std::string::npos; nPos = p_strText.find(p_strPart, nPos + 1))
        ++nCount;
    return nCount;
}

class SensorSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strScratch = makeTempDir();
        ASSERT_FALSE(m_strScratch.empty());
        m_strWork = m_strScratch + "/root";
    }
    void TearDown() override {
        if (!m_strScratch.empty()) nftw(m_strScratch.c_str(), &removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }

    // A run in this test's working root.
    SimResult run(std::vector<std::string> p_vecArgs, const std::string& p_strInput = "/dev/null") {
        p_vecArgs.insert(p_vecArgs.begin(), {"--work", m_strWork});
        return runProgram(p_vecArgs, m_strScratch, p_strInput);
    }
    SimResult runBare(const std::vector<std::string>& p_vecArgs) { return runProgram(p_vecArgs, m_strScratch); }

    std::map<uint32_t, int32_t> scheme(const std::string& p_strCameraPath) const {
        return schemeRecords(readFile(m_strWork + p_strCameraPath));
    }

    std::string m_strScratch;
    std::string m_strWork;
};

struct ProfileCase {
    const char* profile;
    int channels;
    const char* keysLine;        // channel 1's key count in the summary
    const char* schemeFile;      // channel 1's scheme 0
    const char* lastChannelFile; // the last channel's scheme 0
};

void PrintTo(const ProfileCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << p_stCase.profile;
}

class SensorSimProfileTest : public SensorSimTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(SensorSimProfileTest, StartsEveryChannelAndSavesAChangedParameter) {
    const ProfileCase& stCase = GetParam();
    const SimResult stResult = run({"--profile", stCase.profile, "--quiet", "-c", "set brightness 60; get 34; flush"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_EQ("", stResult.err);
    EXPECT_EQ(static_cast<size_t>(stCase.channels), countOf(stResult.out, "start-up: ")) << stResult.out;
    EXPECT_NE(std::string::npos, stResult.out.find(stCase.keysLine)) << stResult.out;
    EXPECT_NE(std::string::npos, stResult.out.find("current scheme 0, scheme mode 0 (fixed")) << stResult.out;
    EXPECT_NE(std::string::npos, stResult.out.find(std::string("file created ") + stCase.lastChannelFile));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 set KEY_BRIGHTNESS (34) = 60: done (status 0)"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34) = 60\n"));
    EXPECT_NE(std::string::npos, stResult.out.find(std::string("file written ") + stCase.schemeFile));
    EXPECT_NE(std::string::npos, stResult.out.find("KEY_BRIGHTNESS (34) 50 -> 60"));
    EXPECT_EQ(60, scheme(stCase.schemeFile)[34]);
    EXPECT_TRUE(exists(m_strWork + stCase.lastChannelFile));
}

INSTANTIATE_TEST_SUITE_P(
    BundledProfiles, SensorSimProfileTest,
    ::testing::Values(ProfileCase{"ir-bullet", 1, "107 keys, 4 user schemes", "/mnt/mtd/code/config_file/sensor1_0.cfg",
                                  "/mnt/mtd/code/config_file/sensor1_0.cfg"},
                      ProfileCase{"dome", 1, "100 keys, 4 user schemes", "/mnt/mtd/code/config_file/sensor1_0.cfg",
                                  "/mnt/mtd/code/config_file/sensor1_0.cfg"},
                      ProfileCase{"thermal-dual", 2, "112 keys, 4 user schemes",
                                  "/mnt/mtd/code/config_file/sensor1_0.cfg",
                                  "/mnt/mtd/code/config_file/sensor-thermal0.cfg"}),
    [](const ::testing::TestParamInfo<ProfileCase>& p_stInfo) {
        std::string strName = p_stInfo.param.profile;
        for (char& c : strName)
            if (c == '-') c = '_';
        return strName;
    });

TEST_F(SensorSimTest, TracingShowsTheIspCallsOfACommandAndOtherwiseCountsThem) {
    const SimResult stResult = run({"--quiet", "-c", "set 34 60; trace on; set 2337 70; trace off; set 34 60"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("sim> set 34 60\nsim: ch1 set KEY_BRIGHTNESS (34) = 60: done (status 0)\n"
                                                   "sim:   1 ISP call (1 set), 0 video notifications"));
    EXPECT_NE(std::string::npos, stResult.out.find("isp ch1 set 2337 KEY_SATURATION: 70 -> ok"));
    EXPECT_EQ(std::string::npos, stResult.out.find("isp ch1 set 34 KEY_BRIGHTNESS")) << "traced while off";
    // Setting the value the scheme already holds sends nothing.
    const std::string strLast = stResult.out.substr(stResult.out.rfind("sim> set 34 60"));
    EXPECT_EQ(std::string::npos, strLast.find("ISP call")) << strLast;
}

TEST_F(SensorSimTest, SchemesSwitchOnlyWhenASensorThreadPassRuns) {
    // The key listings between the change and the look at the scheme give a
    // thread that was left running some milliseconds to act.
    const SimResult stResult = run({"--quiet", "-c",
                                    "set KEY_SCHEME_MODE 2; time 18:30; daynight night; keys; keys; keys; keys; keys; "
                                    "keys; scheme; trace on; pass; scheme"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 current scheme 0 (day)")) << stResult.out;
    EXPECT_NE(std::string::npos,
              stResult.out.find("ch1 1 sensor-thread pass: switched from scheme 0 (day) to scheme 1 (night)"));
    EXPECT_NE(std::string::npos, stResult.out.find("isp ch1 get 153 IA_CMD_DN_STATE: answer 1 -> ok"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 current scheme 1 (night)"));
}

TEST_F(SensorSimTest, TheRealThreadsSwitchWhileTheyRun) {
    const SimResult stResult = run({"--quiet", "-c", "set KEY_SCHEME_MODE 2; daynight night; run 3 0.01; scheme"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 threads: switched from scheme 0 (day) to scheme 1 (night)"))
        << stResult.out;
}

TEST_F(SensorSimTest, RevertSendsTheSavedValueBackAndWritesNothing) {
    const std::string strFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    const SimResult stResult = run({"--quiet", "-c", "set saturation 80; trace on; revert; get saturation"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 revert scheme 0 to its saved values: done\n"
                                                   "sim:   isp ch1 set 2337 KEY_SATURATION: 50 -> ok\n"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_SATURATION (2337) = 50\n"));
    EXPECT_EQ(std::string::npos, stResult.out.find("file written " + strFile));
    EXPECT_EQ(50, scheme(strFile)[2337]);
}

TEST_F(SensorSimTest, FactoryResetRewritesTheSchemeFilesWithFactoryValues) {
    const std::string strFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    const SimResult stResult = run({"--quiet", "-c", "set brightness 70; flush; scheme 2; reset; get 34; scheme"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 factory reset: done; current scheme 0"));
    EXPECT_NE(std::string::npos, stResult.out.find("KEY_BRIGHTNESS (34) 70 -> 50"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34) = 50\n"));
    EXPECT_EQ(50, scheme(strFile)[34]);
}

TEST_F(SensorSimTest, ASecondRunInTheSameRootStartsFromTheSavedFiles) {
    ASSERT_EQ(0, run({"--quiet", "-c", "set brightness 70; flush"}).status);
    const SimResult stResult = run({"--quiet", "-c", "get 34"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("(reused as it stands)"));
    EXPECT_EQ(std::string::npos, stResult.out.find("file created /mnt/mtd/code/config_file/sensor1_0.cfg"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34) = 70\n"));
}

TEST_F(SensorSimTest, ATemporaryRootIsRemovedAndTheBundledDataStaysUntouched) {
    const SimResult stResult = runBare({"--quiet", "-c", "set brightness 70; flush"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    const std::string strRoot = workingRootOf(stResult.out);
    ASSERT_NE("", strRoot) << stResult.out;
    EXPECT_NE(std::string::npos, stResult.out.find(strRoot + " (temporary"));
    EXPECT_FALSE(exists(strRoot)) << strRoot;
    EXPECT_FALSE(exists(std::string(SENSORDLL_DEVICES_DIR) + "/ir-bullet/root/mnt/mtd/code/config_file"));
}

TEST_F(SensorSimTest, AStopSignalEndsTheSessionCleanly) {
    const pid_t nPid = startProgram({"--quiet", "-c", "run 3600 0.01; get 34"}, m_strScratch, "/dev/null");
    ASSERT_GT(nPid, 0);
    // Until the long run has begun (start-up takes a fraction of a second).
    for (int i = 0; i < 500 && readFile(m_strScratch + "/stdout.txt").find("sim> run 3600 0.01") == std::string::npos; ++i)
        usleep(20000);
    kill(nPid, SIGTERM);
    const SimResult stResult = finishProgram(nPid, m_strScratch);

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos, stResult.out.find("the sensor threads ran until interrupted"));
    EXPECT_EQ(std::string::npos, stResult.out.find("sim> get 34"));
    EXPECT_NE(std::string::npos, stResult.err.find("interrupted; the remaining commands did not run"));
    const std::string strRoot = workingRootOf(stResult.out);
    ASSERT_NE("", strRoot) << stResult.out;
    EXPECT_FALSE(exists(strRoot)) << strRoot;
}

TEST_F(SensorSimTest, QuietLeavesOnlyTheSimulatorsOwnLines) {
    const SimResult stLoud = run({"--debug", "7", "-c", "set brightness 61"});
    const SimResult stQuiet = run({"--debug", "7", "--quiet", "-c", "set brightness 62"});

    ASSERT_EQ(0, stLoud.status) << stLoud.err;
    ASSERT_EQ(0, stQuiet.status) << stQuiet.err;
    EXPECT_NE(std::string::npos, stLoud.out.find("\nsim: ch1 set KEY_BRIGHTNESS (34) = 61"));
    EXPECT_NE(std::string::npos, stLoud.out.find("[sensor dbg]")) << "the library reports at level 7";
    std::istringstream lines(stQuiet.out);
    std::string strLine;
    while (std::getline(lines, strLine)) EXPECT_EQ(0u, strLine.rfind("sim", 0)) << strLine;
    EXPECT_NE(std::string::npos, stQuiet.out.find("sim: ch1 set KEY_BRIGHTNESS (34) = 62"));
}

TEST_F(SensorSimTest, DebugWritesTheControlFileUnderTheRoot) {
    const SimResult stResult = run({"--quiet", "-c", "debug 4 abort"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("debug level 4, failed assertions end the process"));
    EXPECT_EQ("4\n1\n", readFile(m_strWork + "/tmp/Debug.sign"));
}

TEST_F(SensorSimTest, KeyValueTextsAndIdListsTakeKeyNames) {
    const SimResult stResult = run({"--quiet", "-c", "setkv (brightness,61)(2337,71); ids (34,saturation)"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 set (34,61)(2337,71): done (status 0)"));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 read (34,2337): (34,61)(2337,71)"));
}

TEST_F(SensorSimTest, TheStyleGoesIntoAFile) {
    const std::string strStyle = m_strScratch + "/style.xml";
    const SimResult stResult = run({"--quiet", "-c", "style " + strStyle});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    const std::string strText = readFile(strStyle);
    EXPECT_NE(std::string::npos, strText.find("id=\"49\"")) << strText.substr(0, 200);
    EXPECT_NE(std::string::npos, stResult.out.find(std::to_string(strText.size()) + " bytes written to " + strStyle));
}

TEST_F(SensorSimTest, TheDemoScriptShowsEachStepAndSucceeds) {
    const SimResult stResult = run({"--quiet", "--script", SENSOR_SIM_DEMO_SCRIPT});

    ASSERT_EQ(0, stResult.status) << stResult.err << stResult.out;
    EXPECT_EQ("", stResult.err);
    for (const char* szStep :
         {"isp ch1 set 34 KEY_BRIGHTNESS: 60 -> ok", "file written /mnt/mtd/code/config_file/sensor1_0.cfg",
          "KEY_SCHEME_MODE (8000) 0 -> 2", "switched from scheme 0 (day) to scheme 1 (night)",
          "revert scheme 1 to its saved values: done", "factory reset: done; current scheme 0"})
        EXPECT_NE(std::string::npos, stResult.out.find(szStep)) << szStep;
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
    int status;
};

void PrintTo(const ErrorCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << p_stCase.name;
}

class SensorSimErrorTest : public SensorSimTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(SensorSimErrorTest, GivesItsMessageAndStatus) {
    std::vector<std::string> vecArgs = {"--quiet"};
    vecArgs.insert(vecArgs.end(), GetParam().args.begin(), GetParam().args.end());
    const SimResult stResult = run(vecArgs);

    EXPECT_EQ(GetParam().status, stResult.status);
    EXPECT_NE(std::string::npos, stResult.err.find(GetParam().message)) << stResult.err;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SensorSimErrorTest,
    ::testing::Values(
        ErrorCase{"UnknownKey", {"-c", "set NOPE 1"}, "command 1 (set NOPE 1): error: unknown key 'NOPE'", 1},
        ErrorCase{"UnknownKeyNumber", {"-c", "get 9999"}, "error: unknown key 9999", 1},
        ErrorCase{"SuggestsNames", {"-c", "get SATUR"}, "(did you mean KEY_SATURATION?)", 1},
        ErrorCase{"BadValue", {"-c", "set 34 6O"}, "error: value '6O' is not a number", 1},
        ErrorCase{"ValueTooWide", {"-c", "set 34 4294967296"}, "does not fit in 32 bits", 1},
        ErrorCase{"MissingValue", {"-c", "set 34"}, "error: usage: set KEY VALUE [nosave]", 1},
        ErrorCase{"UnknownCommand", {"-c", "frobnicate"}, "error: unknown command 'frobnicate'", 1},
        ErrorCase{"SchemeOutOfRange", {"-c", "scheme 5"}, "error: scheme 5 is not 0 to 4", 1},
        ErrorCase{"MalformedText", {"-c", "setkv (34,60"}, "item 1 is not (key,value)", 1},
        ErrorCase{"NoSuchChannel", {"-c", "channel 2"}, "error: no channel 2", 1},
        ErrorCase{"MissingDeviceRoot", {"--root", "/nonexistent/device-root"}, "error: no device root /nonexistent/device-root", 2},
        ErrorCase{"UnknownProfile", {"--profile", "toaster"}, "unknown profile 'toaster' (bundled: dome, ir-bullet, thermal-dual)", 2},
        ErrorCase{"UnknownOption", {"--colour"}, "error: unknown option '--colour'", 2},
        ErrorCase{"MissingScript", {"--script", "/nonexistent/session.sensim"}, "cannot read the script", 2}),
    [](const ::testing::TestParamInfo<ErrorCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(SensorSimTest, AFailedCommandChangesNothingAndTheScriptGoesOn) {
    const std::string strScript = m_strScratch + "/session.sensim";
    std::ofstream(strScript) << "trace on\nset 34 x60\nset brightness_ 60\nget 34\n";
    const SimResult stResult = run({"--quiet", "--script", strScript});

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos, stResult.err.find(strScript + ":2: error: value 'x60' is not a number"));
    EXPECT_NE(std::string::npos, stResult.err.find(strScript + ":3: error: unknown key 'brightness_'"));
    EXPECT_NE(std::string::npos, stResult.err.find("2 commands failed"));
    EXPECT_EQ(std::string::npos, stResult.out.find("isp ch1 set")) << stResult.out;
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34) = 50\n"));
}

TEST_F(SensorSimTest, ALibraryFailureMakesTheRunFail) {
    // Only 49 and the other range keys have a range; the ISP is asked and says no.
    const SimResult stResult = run({"--quiet", "-c", "range 34; get 34"});

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34): no range"));
    EXPECT_NE(std::string::npos, stResult.err.find("1 command failed"));
}

TEST_F(SensorSimTest, AProfileOfOnesOwnWithAnEditedDetailText) {
    const std::string strProfile = m_strScratch + "/my-camera";
    copyTree(bundledDevicesDir() + "/ir-bullet", strProfile);
    const std::string strConfig = strProfile + "/root/hd1/moduleConfig/moduleConfig.xml";
    std::string strText = readFile(strConfig);
    const size_t nField = strText.find("(max_scheme=4)");
    ASSERT_NE(std::string::npos, nField);
    strText.replace(nField, 14, "(max_scheme=2)");
    std::ofstream(strConfig) << strText;

    const SimResult stResult = run({"--quiet", "--profile", strProfile, "-c", "scheme 2; scheme 3"});

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos, stResult.out.find("107 keys, 2 user schemes (0 to 1) and the factory set (2)"));
    EXPECT_TRUE(exists(m_strWork + "/mnt/mtd/code/config_file/sensor1_1.cfg"));
    EXPECT_FALSE(exists(m_strWork + "/mnt/mtd/code/config_file/sensor1_2.cfg"));
    EXPECT_NE(std::string::npos, stResult.out.find("switched from scheme 0 to scheme 2 (factory set)"));
    EXPECT_NE(std::string::npos, stResult.err.find("error: scheme 3 is not 0 to 2"));
}

TEST_F(SensorSimTest, AGivenDeviceRootIsReadAsStoredAndNeverWritten) {
    const std::string strFirst = m_strScratch + "/first";
    ASSERT_EQ(0, runProgram({"--work", strFirst, "--quiet", "-c", "set brightness 77; flush"}, m_strScratch).status);
    const std::string strDump = m_strScratch + "/dump";
    copyTree(strFirst + "/mnt", strDump + "/mnt");
    copyTree(strFirst + "/hd1", strDump + "/hd1");
    const std::string strStored = readFile(strDump + "/mnt/mtd/code/config_file/sensor1_0.cfg");

    const SimResult stResult = run({"--quiet", "--root", strDump, "-c", "get 34; set 34 20; flush; reset"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_NE(std::string::npos, stResult.out.find("device files from " + strDump));
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 KEY_BRIGHTNESS (34) = 77\n"));
    EXPECT_EQ(strStored, readFile(strDump + "/mnt/mtd/code/config_file/sensor1_0.cfg"));
    EXPECT_FALSE(exists(strDump + "/tmp"));
    EXPECT_EQ(50, scheme("/mnt/mtd/code/config_file/sensor1_0.cfg")[34]);
}

TEST_F(SensorSimTest, AScheduleWindowThatEndsBeforeItStartsIsNotSaved) {
    const std::string strFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    const SimResult stResult = run({"--quiet", "-c", "set KEY_SCHEME_START_HOUR 18; set KEY_SCHEME_END_HOUR 8; flush"});

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos,
              stResult.out.find("ch1 flush scheme 0: refused (status 507: the schedule window does not start before it ends)"));
    EXPECT_EQ(std::string::npos, stResult.out.find("file written " + strFile));
    EXPECT_EQ(0, scheme(strFile)[8001]);
}

TEST_F(SensorSimTest, PipedCommandsRunLikeAScript) {
    const std::string strInput = m_strScratch + "/input.txt";
    std::ofstream(strInput) << "set brightness 64\nget 34\nnonsense\n";
    const SimResult stResult = run({"--quiet"}, strInput);

    EXPECT_EQ(1, stResult.status);
    EXPECT_NE(std::string::npos, stResult.out.find("sim> get 34\nsim: ch1 KEY_BRIGHTNESS (34) = 64\n"));
    EXPECT_NE(std::string::npos, stResult.err.find("stdin:3: error: unknown command 'nonsense'"));
}

TEST_F(SensorSimTest, TheThermalChannelsDirectKeysReachTheVideoModule) {
    const SimResult stResult =
        run({"--quiet", "--profile", "thermal-dual", "-c", "channel 2; trace on; set KEY_NONE_COLOR_MODE 3"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    const std::string strSet = stResult.out.substr(stResult.out.find("sim> set KEY_NONE_COLOR_MODE 3"));
    EXPECT_NE(std::string::npos, strSet.find("ch2 set KEY_NONE_COLOR_MODE (8201) = 3: done"));
    EXPECT_NE(std::string::npos, strSet.find("video ch2 notified KEY_NONE_COLOR_MODE (8201) = 3"));
    EXPECT_EQ(std::string::npos, strSet.find("isp ch2 set 8201")) << strSet;
}

TEST_F(SensorSimTest, SwitchingTheWhiteLightOnTurnsTheInfraredOffFirst) {
    const SimResult stResult = run({"--quiet", "-c", "light ir on; trace on; light white on; light ir"});

    ASSERT_EQ(0, stResult.status) << stResult.err;
    const size_t nIrOff = stResult.out.find("isp ch1 set 160 KEY_IR_SWITCH: 0 -> ok");
    const size_t nWhiteOn = stResult.out.find("isp ch1 set 168 KEY_WHITE_SWITCH: 1 -> ok");
    ASSERT_NE(std::string::npos, nIrOff) << stResult.out;
    ASSERT_NE(std::string::npos, nWhiteOn);
    EXPECT_LT(nIrOff, nWhiteOn);
    EXPECT_NE(std::string::npos, stResult.out.find("ch1 infrared light off (0)\n"));
}

TEST_F(SensorSimTest, AVideoSettingThatDoesNotReadStopsTheStart) {
    const std::string strProfile = m_strScratch + "/my-camera";
    copyTree(bundledDevicesDir() + "/dome", strProfile);
    std::ofstream(strProfile + "/video.ini") << "stream=1,1080\nlimitWdr=yes\n";

    const SimResult stResult = run({"--quiet", "--profile", strProfile, "-c", "get 34"});

    EXPECT_EQ(2, stResult.status);
    EXPECT_NE(std::string::npos, stResult.err.find(strProfile + "/video.ini:2: limitWdr 'yes' is not a number"))
        << stResult.err;
    EXPECT_EQ(std::string::npos, stResult.out.find("sim> get 34"));
}

TEST_F(SensorSimTest, HelpListsOptionsAndCommands) {
    const SimResult stResult = runBare({"--help"});

    EXPECT_EQ(0, stResult.status);
    for (const char* szPart : {"--profile NAME|DIR", "--root DIR", "--script FILE", "set KEY VALUE [nosave]",
                               "pass [N]", "run SECONDS [SCALE]", "daynight [day|night|N]", "trace [on|off]"})
        EXPECT_NE(std::string::npos, stResult.out.find(szPart)) << szPart;
}

}  // namespace
