// End-to-end runs of the sensor-sim program: scripted sessions on each bundled
// profile, checked through the program's output, its exit status and the
// files it leaves in the working root.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "StartedControllers.h"

extern char** environ;

namespace {

const char* const kScheme = "/mnt/mtd/code/config_file/sensor1_0.cfg";

struct SimResult {
    int status = -1;
    std::string out, err;
};

// The device root holds the runs' output, their inputs and the working root "/work".
class SensorSimTest : public DeviceFixture {
protected:
    // Starts the simulator (through the cross build's emulator, if any).
    pid_t start(const std::vector<std::string>& p_vecArgs, const std::string& p_strInput = "/dev/null") const {
        std::vector<std::string> vecCommand;
        std::istringstream emulator(SENSOR_SIM_EMULATOR);
        for (std::string strWord; emulator >> strWord;) vecCommand.push_back(strWord);
        vecCommand.push_back(SENSOR_SIM_EXE);
        vecCommand.insert(vecCommand.end(), p_vecArgs.begin(), p_vecArgs.end());
        std::vector<char*> vecArgv;
        for (std::string& strArg : vecCommand) vecArgv.push_back(&strArg[0]);
        vecArgv.push_back(nullptr);
        posix_spawn_file_actions_t stActions;
        posix_spawn_file_actions_init(&stActions);
        posix_spawn_file_actions_addopen(&stActions, STDIN_FILENO, p_strInput.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&stActions, STDOUT_FILENO, hostPath("/stdout.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&stActions, STDERR_FILENO, hostPath("/stderr.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t nPid = 0;
        const int nSpawn = posix_spawnp(&nPid, vecArgv[0], &stActions, nullptr, vecArgv.data(), environ);
        posix_spawn_file_actions_destroy(&stActions);
        return nSpawn == 0 ? nPid : -1;
    }
    SimResult finish(pid_t p_nPid) const {
        SimResult stResult;
        int nWaitStatus = 0;
        if (p_nPid > 0 && waitpid(p_nPid, &nWaitStatus, 0) == p_nPid && WIFEXITED(nWaitStatus))
            stResult.status = WEXITSTATUS(nWaitStatus);
        stResult.out = readFile("/stdout.txt");
        stResult.err = readFile("/stderr.txt");
        return stResult;
    }
    // A quiet run in this test's working root.
    SimResult run(std::vector<std::string> p_vecArgs, const std::string& p_strInput = "/dev/null") const {
        p_vecArgs.insert(p_vecArgs.begin(), {"--work", root() + "/work", "--quiet"});
        return finish(start(p_vecArgs, p_strInput));
    }

    // A value channel 1's scheme 0 holds in a working root; -12345 when absent.
    int saved(u32 p_nKey, const std::string& p_strWork = "/work") const {
        return StartedControllers::valueOf(readFile(p_strWork + kScheme), p_nKey);
    }
};

bool has(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// One session: its arguments, exit status and expected parts (of its output
// in the order they appear; with "2>" of its standard error; with "!" absent
// from the output once the commands run), the values saved in channel 1's
// scheme 0 and the text piped to it.
struct Session {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> parts;
    std::map<uint32_t, int32_t> saved = {};
    std::string input = "";
};

void PrintTo(const Session& p_stSession, std::ostream* p_pOut) { *p_pOut << p_stSession.name; }

class SensorSimSessionTest : public SensorSimTest, public ::testing::WithParamInterface<Session> {};

TEST_P(SensorSimSessionTest, GivesItsOutputStatusAndFiles) {
    const Session& c = GetParam();
    // The text goes to standard input unless an argument "@input" names it.
    writeFile("/input.txt", c.input);
    std::vector<std::string> vecArgs = c.args;
    std::replace(vecArgs.begin(), vecArgs.end(), std::string("@input"), hostPath("/input.txt"));
    const bool bPiped = !c.input.empty() && vecArgs == c.args;
    const SimResult stResult = run(vecArgs, bPiped ? hostPath("/input.txt") : "/dev/null");

    EXPECT_EQ(c.status, stResult.status);
    const size_t nCommands = stResult.out.find("sim> ");
    const std::string strCommands = nCommands == std::string::npos ? "" : stResult.out.substr(nCommands);
    // A clean run leaves standard error empty.
    EXPECT_TRUE(c.status != 0 || stResult.err.empty()) << stResult.err;
    size_t nAt = 0;
    for (const std::string& strPart : c.parts) {
        if (strPart.compare(0, 2, "2>") == 0) {
            EXPECT_TRUE(has(stResult.err, strPart.substr(2))) << stResult.err;
        } else if (strPart[0] == '!') {
            EXPECT_FALSE(has(strCommands, strPart.substr(1))) << strPart;
        } else {
            const size_t nFound = stResult.out.find(strPart, nAt);
            EXPECT_NE(std::string::npos, nFound) << strPart << "\n---\n" << stResult.out;
            if (nFound != std::string::npos) nAt = nFound + strPart.size();
        }
    }
    for (const auto& stSaved : c.saved) EXPECT_EQ(stSaved.second, saved(stSaved.first)) << stSaved.first;
}

const std::string kWritten = std::string("file written ") + kScheme;

INSTANTIATE_TEST_SUITE_P(
    Sessions, SensorSimSessionTest,
    ::testing::Values(
        Session{"IrBullet",
                {"-c", "setkv (brightness,61)(2337,71); ids (34,saturation); set brightness 60; get 34; flush"},
                0,
                {"107 keys, 4 user schemes", "current scheme 0, scheme mode 0 (fixed",
                 "file created " + std::string(kScheme), "ch1 set (34,61)(2337,71): done (status 0)",
                 "ch1 read (34,2337): (34,61)(2337,71)", "ch1 set KEY_BRIGHTNESS (34) = 60: done (status 0)",
                 "ch1 KEY_BRIGHTNESS (34) = 60\n", kWritten, "KEY_BRIGHTNESS (34) 50 -> 60"},
                {{KEY_BRIGHTNESS, 60}, {KEY_SATURATION, 71}}},
        // The thermal channel's direct keys reach the video module, not the ISP.
        Session{"ThermalDual",
                {"--profile", "thermal-dual", "-c",
                 "set brightness 60; flush; channel 2; trace on; set KEY_NONE_COLOR_MODE 3"},
                0,
                {"112 keys, 4 user schemes", "file created /mnt/mtd/code/config_file/sensor-thermal0.cfg", kWritten,
                 "ch2 set KEY_NONE_COLOR_MODE (8201) = 3: done", "video ch2 notified KEY_NONE_COLOR_MODE (8201) = 3",
                 "!isp ch2 set 8201"},
                {{KEY_BRIGHTNESS, 60}}},
        Session{"TracingShowsTheCallsOfACommandAndOtherwiseCountsThem",
                {"-c", "set 34 60; trace on; set 2337 70; trace off; set 34 61"},
                0,
                {"sim> set 34 60\nsim: ch1 set KEY_BRIGHTNESS (34) = 60: done (status 0)\n"
                 "sim:   1 ISP call (1 set), 0 video notifications",
                 "isp ch1 set 2337 KEY_SATURATION: 70 -> ok", "!isp ch1 set 34 KEY_BRIGHTNESS"}},
        // Held threads switch only in a pass (the key listings give a thread
        // left running some milliseconds to act); run lets them run.
        Session{
            "SchemesSwitchInAPassOrWhileTheThreadsRun",
            {"-c",
             "set KEY_SCHEME_MODE 2; time 18:30; daynight night; keys; keys; keys; keys; keys; keys; "
             "scheme; trace on; pass; scheme; trace off; daynight day; run 3 0.01"},
            0,
            {"ch1 current scheme 0 (day)", "ch1 1 sensor-thread pass: switched from scheme 0 (day) to scheme 1 (night)",
             "isp ch1 get 153 IA_CMD_DN_STATE: answer 1 -> ok", "ch1 current scheme 1 (night)",
             "ch1 threads: switched from scheme 1 (night) to scheme 0 (day)"}},
        Session{"TheDemoScriptShowsEachStep",
                {"--script", SENSOR_SIM_DEMO_SCRIPT},
                0,
                {"isp ch1 set 34 KEY_BRIGHTNESS: 60 -> ok", kWritten, "KEY_SCHEME_MODE (8000) 0 -> 2",
                 "switched from scheme 0 (day) to scheme 1 (night)", "revert scheme 1 to its saved values: done",
                 "factory reset: done; current scheme 0"}},
        Session{"HelpListsOptionsAndCommands",
                {"--help"},
                0,
                {"--profile NAME|DIR", "--root DIR", "--script FILE", "set KEY VALUE [nosave]", "pass [N]",
                 "run SECONDS [SCALE]"}},
        Session{"ALibraryFailureMakesTheRunFail",
                {"-c",
                 "range 34; light white on; light ir; set KEY_SCHEME_START_HOUR 18; set KEY_SCHEME_END_HOUR 8; "
                 "flush; set NOPE 1"},
                1,
                {"ch1 KEY_BRIGHTNESS (34): no range", "ch1 infrared light off (0)\n",
                 "ch1 flush scheme 0: refused (status 507: the schedule window does not start before it ends)",
                 "2>command 7 (set NOPE 1): error: unknown key 'NOPE'", "2>3 commands failed", "!" + kWritten}},
        // A failed command changes nothing and the commands after it run;
        // statements split at ";" and line ends, outside quotes, and "#"
        // begins a comment.
        Session{"PipedCommandsRunLikeAScript",
                {},
                1,
                {"sim> get 34\nsim: ch1 KEY_BRIGHTNESS (34) = 50\n", "sim: a;b # c\n", "!isp ch1 set",
                 "2>stdin:2: error: value 'x60' is not a number", "2>stdin:2: error: unknown key 'brightness_'",
                 "2>stdin:7: error: unknown command 'nonsense'", "2>stdin:8: error: unknown key 9999",
                 "2>stdin:9: error: unknown key 'satur' (did you mean KEY_SATURATION?)",
                 "2>stdin:10: error: value '4294967296' does not fit in 32 bits",
                 "2>stdin:11: error: usage: set KEY VALUE [nosave]", "2>stdin:12: error: scheme 5 is not 0 to 4",
                 "2>stdin:13: error: key/value text '(34,60': item 1 is not (key,value)",
                 "2>stdin:14: error: no channel 2", "2>10 commands failed"},
                {{KEY_BRIGHTNESS, 50}},
                "trace on\nset 34 x60; set brightness_ 60\n\n# a note\nget 34\necho \"a;b # c\"  # note\nnonsense\n"
                "get 9999\nget satur\nset 34 4294967296\nset 34\nscheme 5\nsetkv (34,60\nchannel 2\n"},
        // An unclosed quote stops the text before anything runs.
        Session{"UnclosedQuote",
                {"-c", "get 34\necho \"open"},
                1,
                {"2>-c: error: line 2: the quote is not closed", "!sim>"}},
        Session{"AScriptErrorNamesItsFileAndLine",
                {"--script", "@input"},
                1,
                {"sim: ch1 KEY_BRIGHTNESS (34) = 50\n", "2>/input.txt:2: error: value 'x60' is not a number",
                 "2>1 command failed"},
                {},
                "get 34\nset 34 x60\n"},
        Session{"MissingDeviceRoot", {"--root", "/nonexistent"}, 2, {"2>error: no device root /nonexistent"}},
        Session{"UnknownProfile", {"--profile", "toaster"}, 2, {"2>unknown profile 'toaster' (bundled: dome, ir-"}},
        Session{"UnknownOption", {"--colour"}, 2, {"2>error: unknown option '--colour'"}},
        Session{"MissingScript", {"--script", "/nonexistent/session.sensim"}, 2, {"2>cannot read the script"}}),
    [](const ::testing::TestParamInfo<Session>& p_stInfo) { return std::string(p_stInfo.param.name); });

// The temporary working root goes with the session; the bundled data is
// never written.
TEST_F(SensorSimTest, AStopSignalEndsTheSessionCleanly) {
    const pid_t nPid = start({"--quiet", "-c", "run 3600 0.01; get 34"});
    ASSERT_GT(nPid, 0);
    // Until the long run has begun (start-up takes a fraction of a second).
    for (int i = 0; i < 500 && readFile("/stdout.txt").find("sim> run 3600 0.01") == std::string::npos; ++i)
        usleep(20000);
    kill(nPid, SIGTERM);
    const SimResult stResult = finish(nPid);

    EXPECT_EQ(1, stResult.status);
    EXPECT_TRUE(has(stResult.out, "the sensor threads ran until interrupted"));
    EXPECT_FALSE(has(stResult.out, "sim> get 34"));
    EXPECT_TRUE(has(stResult.err, "interrupted; the remaining commands did not run"));
    std::smatch stRoot;
    ASSERT_TRUE(std::regex_search(stResult.out, stRoot, std::regex("working root (\\S+) \\(temporary")))
        << stResult.out;
    EXPECT_NE(0, access(stRoot[1].str().c_str(), F_OK)) << stRoot[1];
    EXPECT_NE(0, access((bundledDevicesDir() + "/ir-bullet/root/mnt/mtd/code/config_file").c_str(), F_OK));
}

// A copy of a bundled profile: an edited detail text sets the scheme count,
// video settings that do not read stop the start.
TEST_F(SensorSimTest, AnOwnProfileIsReadAsEdited) {
    const std::string strProfile = hostPath("/my-camera");
    copyTree(bundledDevicesDir() + "/ir-bullet", strProfile);
    const std::string strConfig = "/my-camera/root/hd1/moduleConfig/moduleConfig.xml";
    std::string strText = readFile(strConfig);
    const size_t nField = strText.find("(max_scheme=4)");
    ASSERT_NE(std::string::npos, nField);
    writeFile(strConfig, strText.replace(nField, 14, "(max_scheme=2)"));
    SimResult stResult = run({"--profile", strProfile, "-c", "scheme 2; scheme 3"});
    EXPECT_EQ(1, stResult.status);
    EXPECT_TRUE(has(stResult.out, "107 keys, 2 user schemes (0 to 1) and the factory set (2)"));
    EXPECT_TRUE(fileExists("/work/mnt/mtd/code/config_file/sensor1_1.cfg"));
    EXPECT_FALSE(fileExists("/work/mnt/mtd/code/config_file/sensor1_2.cfg"));
    EXPECT_TRUE(has(stResult.out, "switched from scheme 0 to scheme 2 (factory set)"));
    EXPECT_TRUE(has(stResult.err, "error: scheme 3 is not 0 to 2"));

    writeFile("/my-camera/video.ini", "stream=1,1080\nlimitWdr=yes\n");
    stResult = run({"--profile", strProfile, "-c", "get 34"});
    EXPECT_EQ(2, stResult.status);
    EXPECT_TRUE(has(stResult.err, strProfile + "/video.ini:2: limitWdr 'yes' is not a number")) << stResult.err;
    EXPECT_FALSE(has(stResult.out, "sim> get 34"));
}

// A later run in the same working root starts from its files; quiet leaves
// only the simulator's own lines; debug and style write their files; a given
// device root is read as stored and never written.
TEST_F(SensorSimTest, LaterRunsStartFromTheSavedFilesAndAGivenDeviceRootIsNeverWritten) {
    const SimResult stLoud =
        finish(start({"--work", root() + "/work", "--debug", "7", "-c", "set brightness 77; flush"}));
    const std::string strStyle = hostPath("/style.xml");
    const SimResult stQuiet = run({"--debug", "7", "-c", "get 34; debug 4 abort; style " + strStyle});
    ASSERT_EQ(0, stLoud.status) << stLoud.err;
    ASSERT_EQ(0, stQuiet.status) << stQuiet.err;
    EXPECT_TRUE(has(stLoud.out, "\nsim: ch1 set KEY_BRIGHTNESS (34) = 77"));
    EXPECT_TRUE(has(stLoud.out, "[sensor dbg]")) << "the library reports at level 7";
    std::istringstream lines(stQuiet.out);
    for (std::string strLine; std::getline(lines, strLine);) EXPECT_EQ(0u, strLine.rfind("sim", 0)) << strLine;
    EXPECT_TRUE(has(stQuiet.out, "(reused as it stands)"));
    EXPECT_FALSE(has(stQuiet.out, std::string("file created ") + kScheme));
    EXPECT_TRUE(has(stQuiet.out, "sim: ch1 KEY_BRIGHTNESS (34) = 77\n"));
    EXPECT_TRUE(has(stQuiet.out, "debug level 4, failed assertions end the process"));
    EXPECT_EQ("4\n1\n", readFile("/work/tmp/Debug.sign"));
    const std::string strText = readFile("/style.xml");
    EXPECT_TRUE(has(strText, "id=\"49\"")) << strText.substr(0, 200);
    EXPECT_TRUE(has(stQuiet.out, std::to_string(strText.size()) + " bytes written to " + strStyle));

    const std::string strDump = hostPath("/dump");
    copyTree(root() + "/work/mnt", strDump + "/mnt");
    copyTree(root() + "/work/hd1", strDump + "/hd1");
    const std::string strStored = readFile(std::string("/dump") + kScheme);
    const SimResult stResult = finish(
        start({"--work", hostPath("/again"), "--quiet", "--root", strDump, "-c", "get 34; set 34 20; flush; reset"}));
    ASSERT_EQ(0, stResult.status) << stResult.err;
    EXPECT_TRUE(has(stResult.out, "device files from " + strDump));
    EXPECT_TRUE(has(stResult.out, "ch1 KEY_BRIGHTNESS (34) = 77\n"));
    EXPECT_EQ(strStored, readFile(std::string("/dump") + kScheme));
    EXPECT_FALSE(fileExists("/dump/tmp"));
    EXPECT_EQ(50, saved(KEY_BRIGHTNESS, "/again"));
}

}  // namespace
