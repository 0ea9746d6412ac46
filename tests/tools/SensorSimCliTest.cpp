// sensor-sim as an installed command: its version, where it finds the device
// data, bare and JSON answers for scripts, the style's ranges in `keys` and
// `set`, and the prompt at a terminal.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "DataPath.h"
#include "DeviceFixture.h"
#include "SensorVersion.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out;  // standard output and error together
};
// The program (through the cross build's emulator, if any) with shell-quoted
// arguments and standard input from a file.
CliRun runSim(const std::string& p_strExe, const std::string& p_strArgs, const std::string& p_strInput) {
    const std::string strCommand =
        std::string(SENSOR_SIM_EMULATOR) + " " + p_strExe + " " + p_strArgs + " <" + p_strInput + " 2>&1";
    CliRun stRun;
    FILE* pPipe = popen(strCommand.c_str(), "r");
    if (pPipe == nullptr) return stRun;
    char szBuffer[4096];
    for (size_t n; (n = fread(szBuffer, 1, sizeof(szBuffer), pPipe)) > 0;) stRun.out.append(szBuffer, n);
    const int nWait = pclose(pPipe);
    stRun.status = WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
    return stRun;
}

// A quiet session in a working root of the test's own: its arguments
// ("@installed" first runs a copy of the program in a prefix whose data holds
// the dome profile only), exit status, output parts in order, parts never
// shown and piped input.
struct CliCase {
    const char* name;
    std::string args;
    int status;
    std::vector<std::string> out, absent = {};
    std::string input = "";
};
void PrintTo(const CliCase& p_stCase, std::ostream* p_pOut) { *p_pOut << p_stCase.name; }

class SensorSimCliTest : public DeviceFixture, public ::testing::WithParamInterface<CliCase> {};

TEST_P(SensorSimCliTest, AnswersAsExpected) {
    const CliCase& c = GetParam();
    const bool bInstalled = c.args.rfind("@installed ", 0) == 0;
    const std::string strExe = bInstalled ? root() + "/prefix/bin/sensor-sim" : SENSOR_SIM_EXE;
    if (bInstalled) {
        std::filesystem::create_directories(root() + "/prefix/bin");
        std::filesystem::copy_file(SENSOR_SIM_EXE, strExe);
        for (const char* szPart : {"common", "dome"})
            copyTree(bundledDevicesDir() + "/" + szPart,
                     root() + "/prefix/bin/" + sensorsim::INSTALLED_DEVICES_DIR + "/" + szPart);
    }
    writeFile("/input.txt", c.input);
    const std::string strArgs = "--quiet --work " + root() + "/work " + c.args.substr(bInstalled ? 11 : 0);
    const CliRun stRun = runSim(strExe, strArgs, hostPath("/input.txt"));

    EXPECT_EQ(c.status, stRun.status) << stRun.out;
    size_t nAt = 0;
    for (const std::string& strPart : c.out) {
        const size_t nFound = stRun.out.find(strPart, nAt);
        EXPECT_NE(std::string::npos, nFound) << strPart << "\n---\n" << stRun.out;
        if (nFound != std::string::npos) nAt = nFound + strPart.size();
    }
    for (const std::string& strPart : c.absent) EXPECT_EQ(std::string::npos, stRun.out.find(strPart)) << strPart;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, SensorSimCliTest,
    ::testing::Values(
        CliCase{"Version", "--version", 0, {"sensor-sim (libsensordll) " SENSORDLL_VERSION "\n"}},
        CliCase{"InstalledRunsOnItsData",
                "@installed --profile dome -c 'get -n 34'",
                0,
                {"/prefix/share/sensordll/devices/dome, working root", "50\n"}},
        CliCase{"MissingDataIsAnError",
                "@installed --devices /nonexistent -c 'get 34'",
                2,
                {"error: no device data directory /nonexistent"},
                {"sim> get 34"}},
        CliCase{"SetOutsideTheStyleWarnsAndApplies",
                "-c 'set 34 999; get -n 34 2337; set 49 3; set 49 6'",
                0,
                {"warning: ch1 KEY_BRIGHTNESS (34) = 999 is outside the range 0 to 100 of the channel's style "
                 "(Brightness)",
                 "sim> get -n 34 2337\n999\n50\n",
                 "warning: ch1 KEY_MAX_SHUTTER (49) = 3 is not one of the options 4, 5, 6,",
                 "sim> set 49 6\nsim: ch1 set KEY_MAX_SHUTTER (49) = 6: done (status 0)\nsim:   1 ISP call"}},
        CliCase{"KeysShowTheFittedStyle",
                "-c 'keys brightness; keys max_shutter'",
                0,
                {"KEY_BRIGHTNESS", "ISP command 34, doIaCmd", "Brightness (slider): min=0 max=100 default=50",
                 "Slowest shutter (combo): options=4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22 default=6"}},
        // Piped input is read as it stands, without a prompt or line editing:
        // the bytes of a left arrow stay in the word.
        CliCase{"PipedInputIsNotEdited",
                "",
                1,
                {"sim> get 3\x1b[D4\n", "stdin:1: error: key '3\x1b[D4' is not a number"},
                {"sensor-sim ch1>"},
                "get 3\x1b[D4\n"}),
    [](const ::testing::TestParamInfo<CliCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST(SensorSimCliJson, EveryAnswerIsOneObjectALine) {
    const CliRun stRun =
        runSim(SENSOR_SIM_EXE, "--json -c 'get brightness; set brightness 999; frobnicate'", "/dev/null");
    std::vector<nlohmann::json> vecAnswers;
    std::istringstream lines(stRun.out.substr(0, stRun.out.find("sensor-sim: error: 1 command failed")));
    for (std::string strLine; std::getline(lines, strLine);) {
        ASSERT_TRUE(nlohmann::json::accept(strLine)) << strLine;
        vecAnswers.push_back(nlohmann::json::parse(strLine));
    }
    EXPECT_EQ(1, stRun.status);
    // The fields each answer has, among others.
    const nlohmann::json objExpected = nlohmann::json::parse(R"json([
        {"command": "start-up", "status": 0},
        {"command": "get", "args": ["brightness"], "channel": 1, "status": 0, "key": 34, "name": "KEY_BRIGHTNESS",
         "value": 50},
        {"command": "set", "status": 0, "value": 999, "result": 0, "warnings":
         ["ch1 KEY_BRIGHTNESS (34) = 999 is outside the range 0 to 100 of the channel's style (Brightness); the library does not refuse it"]},
        {"command": "frobnicate", "status": 2, "error": "unknown command 'frobnicate' ('help' lists them)"},
        {"command": "end", "status": 1, "failed": 1}])json");
    ASSERT_EQ(objExpected.size(), vecAnswers.size()) << stRun.out;
    for (size_t i = 0; i < vecAnswers.size(); ++i)
        for (const auto& field : objExpected[i].items())
            EXPECT_EQ(field.value(), vecAnswers[i][field.key()]) << i << " " << field.key();
}

// Types the keys once the prompt has put the terminal in raw mode (before
// that they would reach the line discipline: Ctrl-D would be lost), then
// reads the terminal until TEXT appears after FROM: where it ends, or npos.
size_t typeAndWait(int p_nTerminal, std::string& p_strSeen, const std::string& p_strKeys, const std::string& p_strText,
                   size_t p_nFrom) {
    termios stMode = {};
    while (tcgetattr(p_nTerminal, &stMode) == 0 && (stMode.c_lflag & ICANON) != 0) usleep(1000);
    if (write(p_nTerminal, p_strKeys.data(), p_strKeys.size()) != static_cast<ssize_t>(p_strKeys.size()))
        return std::string::npos;
    for (char szBuffer[512];;) {
        const size_t nFound = p_strSeen.find(p_strText, p_nFrom);
        if (nFound != std::string::npos) return nFound + p_strText.size();
        const ssize_t nRead = read(p_nTerminal, szBuffer, sizeof(szBuffer));
        if (nRead <= 0) return std::string::npos;
        p_strSeen.append(szBuffer, static_cast<size_t>(nRead));
    }
}

// At a terminal: Ctrl-C drops the half-typed line and a new prompt follows,
// an up arrow brings back the last command, Ctrl-D ends with status 0.
TEST(SensorSimCliPrompt, CtrlCClearsTheLineHistoryRecallsAndCtrlDEnds) {
    const std::string strCommand = std::string("exec ") + SENSOR_SIM_EMULATOR + " " SENSOR_SIM_EXE " --quiet";
    int nTerminal = -1;
    const pid_t nPid = forkpty(&nTerminal, nullptr, nullptr, nullptr);
    if (nPid == 0) {
        execl("/bin/sh", "sh", "-c", strCommand.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(nPid, 0);
    std::string strSeen;
    size_t nAt = 0;
    for (const auto& step :
         std::vector<std::pair<std::string, std::string>>{{"", "ch1> "},
                                                          {"set brightness 7", "set brightness 7"},
                                                          {"\x03", "ch1> "},
                                                          {"get -n 34\r", "\n50\r\nsensor-sim ch1> "},
                                                          {"\x1b[A\r", "\n50\r\nsensor-sim ch1> "}}) {
        nAt = typeAndWait(nTerminal, strSeen, step.first, step.second, nAt);
        ASSERT_NE(std::string::npos, nAt) << strSeen;
    }
    typeAndWait(nTerminal, strSeen, "\x04", "\x01", nAt);  // Ctrl-D, and the output to its end
    int nStatus = -1;
    ASSERT_EQ(nPid, waitpid(nPid, &nStatus, 0));
    close(nTerminal);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << strSeen;
    EXPECT_EQ(std::string::npos, strSeen.find("error")) << strSeen;
}

TEST(SensorSimCliDataPath, NoDataAnywhereNamesThePlacesLookedAt) {
    std::string strDir;
    std::string strError;
    EXPECT_FALSE(sensorsim::findDevicesDir("", "/opt/x/bin/sensor-sim", "/nonexistent/src/devices", strDir, strError));
    EXPECT_EQ("no device data at /opt/x/bin/../share/sensordll/devices, /nonexistent/src/devices; give --devices DIR",
              strError);
}

}  // namespace
