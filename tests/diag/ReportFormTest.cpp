// The reporting forms: exact console bytes and colours, error-log entries,
// and which forms speak at which verbosity.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ControlText.h"
#include "DeviceFixture.h"
#include "diag/SensorReport.h"

namespace {

const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";

// Each reports once and returns the line of its report.
// clang-format off
int reportAssert() { SENSOR_ASSERT_EXPR(false, "1 == probe()", "probe(%d)\n", 7); return __LINE__; }
int reportLog() { SENSOR_LOG("log(%d)\n", 1); return __LINE__; }
int reportWarn() { SENSOR_WARN("warn(%s)\n", "two"); return __LINE__; }
int reportErr() { SENSOR_ERR("err(%u)", 3u); return __LINE__; }
int reportDbg() { SENSOR_DBG("dbg(%d)\n", 4); return __LINE__; }
int reportDbgGrey() { SENSOR_DBG_COLOUR(0, 37, "open file:%s\n", "/x"); return __LINE__; }
int reportInfo() { SENSOR_INFO("info(%d)\n", 5); return __LINE__; }
int reportPrint() { SENSOR_PRINT(0, 32, "print(%d)\n", 6); return __LINE__; }
int reportEmptyAssert() { SENSOR_ASSERT_EXPR(false, "ok", ""); return __LINE__; }
// clang-format on

std::string header(int p_nColour, const std::string& p_strTag, const std::string& p_strFunction, int p_nLine) {
    return "\033[0m\033[" + std::to_string(p_nColour) + "m" + p_strTag + " file:ReportFormTest.cpp fun:" +
           p_strFunction + " line:" + std::to_string(p_nLine) + "\n";
}

std::string logLocation(const std::string& p_strTag, const std::string& p_strFunction, int p_nLine) {
    return p_strTag + " file:ReportFormTest.cpp fun:" + p_strFunction + " line:" + std::to_string(p_nLine) + "\n";
}

struct Form {
    const char* szName;
    int (*report)();
    int nMinLevel;  // lowest verbosity at which it prints
    std::string (*console)(int p_nLine);
    std::string (*log)(int p_nLine);  // "" when not logged
};

std::string noLog(int) {
    return "";
}

const std::vector<Form>& forms() {
    static const std::vector<Form> s_vecForms = {
        {"assert", reportAssert, 0,
         [](int n) {
             return header(31, "[sensor assert]", "reportAssert", n) +
                    "1 == probe()   ~~~Assertion failed.\n\033[0m\033[0m\033[31mprobe(7)\n\033[0m";
         },
         [](int n) {
             return logLocation("[sensor assert]", "reportAssert", n) +
                    "[sensor assert] 1 == probe()   ~~~Assertion failed.\n[sensor assert] probe(7)\n";
         }},
        {"log", reportLog, 0,
         [](int n) { return header(0, "[sensor assert]", "reportLog", n) + "log(1)\n\033[0m"; },
         [](int n) { return logLocation("[sensor assert]", "reportLog", n) + "[sensor assert] log(1)\n"; }},
        {"warn", reportWarn, 4,
         [](int n) { return header(0, "[sensor warn]", "reportWarn", n) + "warn(two)\n\033[0m"; },
         [](int n) { return logLocation("[sensor warn]", "reportWarn", n) + "[sensor warn] warn(two)\n"; }},
        // The message is printed as given: no line end is added.
        {"err", reportErr, 6, [](int n) { return header(0, "[sensor err]", "reportErr", n) + "err(3)\033[0m"; },
         noLog},
        {"dbg", reportDbg, 6, [](int n) { return header(0, "[sensor dbg]", "reportDbg", n) + "dbg(4)\n\033[0m"; },
         noLog},
        {"dbg grey", reportDbgGrey, 6,
         [](int n) { return header(37, "[sensor dbg]", "reportDbgGrey", n) + "open file:/x\n\033[0m"; }, noLog},
        {"info", reportInfo, 7,
         [](int n) { return header(35, "[sensor info]", "reportInfo", n) + "info(5)\n\033[0m"; }, noLog},
        {"print", reportPrint, 6, [](int) { return std::string("\033[0m\033[32mprint(6)\n\033[0m"); }, noLog},
    };
    return s_vecForms;
}

struct LevelCase {
    const char* szControl;  // nullptr: no control file
    int nLevel;
};

void PrintTo(const LevelCase& p_stCase, std::ostream* p_pStream) {
    *p_pStream << spelledOut(p_stCase.szControl);
}

class ReportLevelTest : public DeviceFixture, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ReportLevelTest, EachFormPrintsAndLogsAtItsLevel) {
    if (GetParam().szControl != nullptr) setDebugControl(GetParam().szControl);
    for (const Form& form : forms()) {
        removeFile(kErrorLog);
        testing::internal::CaptureStdout();
        const int nLine = form.report();
        const std::string strConsole = testing::internal::GetCapturedStdout();
        const bool bSpeaks = GetParam().nLevel >= form.nMinLevel;
        EXPECT_EQ(bSpeaks ? form.console(nLine) : "", strConsole) << form.szName;
        EXPECT_EQ(bSpeaks ? form.log(nLine) : "", readFile(kErrorLog)) << form.szName;
    }
    EXPECT_EQ(GetParam().nLevel, g_nDebugLevel.load());
    EXPECT_FALSE(g_bEnAssert.load());
}

INSTANTIATE_TEST_SUITE_P(Controls, ReportLevelTest,
                         ::testing::Values(LevelCase{nullptr, 1}, LevelCase{"\n", 1}, LevelCase{"3\n", 3},
                                           LevelCase{"4\n", 4}, LevelCase{"5", 5}, LevelCase{"6\n", 6},
                                           LevelCase{"6\n0\n", 6}, LevelCase{"7\n", 7}, LevelCase{"-1\n", -1},
                                           LevelCase{"letters\n", 0}));

class ReportTest : public DeviceFixture {};

TEST_F(ReportTest, EmptyAssertionMessageKeepsColoursAndLogsAnEmptyEntry) {
    testing::internal::CaptureStdout();
    const int nLine = reportEmptyAssert();
    EXPECT_EQ(header(31, "[sensor assert]", "reportEmptyAssert", nLine) +
                  "ok   ~~~Assertion failed.\n\033[0m\033[0m\033[31m\033[0m",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ(logLocation("[sensor assert]", "reportEmptyAssert", nLine) +
                  "[sensor assert] ok   ~~~Assertion failed.\n[sensor assert] \n",
              readFile(kErrorLog));
}

// Log texts pass through a 500-byte buffer: the log keeps the first 499
// characters, the console the whole text.
TEST_F(ReportTest, LongLogTextIsCutAtTheBuffer) {
    setDebugControl("4\n");
    std::string strLong;
    for (int i = 0; i < 700; ++i) strLong += static_cast<char>('a' + i % 26);

    testing::internal::CaptureStdout();
    SENSOR_WARN("%s", strLong.c_str());
    SENSOR_ASSERT_EXPR(false, "long", "%s", strLong.c_str());
    const std::string strConsole = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, strConsole.find(strLong + "\033[0m"));

    const std::string strLog = readFile(kErrorLog);
    const std::string strCut = strLong.substr(0, 499);
    EXPECT_NE(std::string::npos, strLog.find("\n[sensor warn] " + strCut + "\n"));
    EXPECT_NE(std::string::npos, strLog.find("\n[sensor assert] " + strCut + "\n"));
    EXPECT_EQ(std::string::npos, strLog.find(strLong.substr(0, 500)));
}

}  // namespace
