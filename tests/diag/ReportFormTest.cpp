// The reporting forms: exact console bytes and colours, error-log entries,
// and which forms speak at which verbosity.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "diag/SensorReport.h"
#include "platform/CameraPaths.h"

namespace {

const char* const kErrorLog = camerapath::ERROR_LOG_FILE;

// Each reports once and returns the line of its report.
// clang-format off
int reportAssert() { SENSOR_ASSERT_EXPR(false, "1 == probe()", "probe(%d)\n", 7); return __LINE__; }
int reportEmptyAssert() { SENSOR_ASSERT_EXPR(false, "ok", ""); return __LINE__; }
int reportLog() { SENSOR_LOG("log(%d)\n", 1); return __LINE__; }
int reportWarn() { SENSOR_WARN("warn(%s)\n", "two"); return __LINE__; }
int reportErr() { SENSOR_ERR("err(%u)", 3u); return __LINE__; }
int reportDbg() { SENSOR_DBG("dbg(%d)\n", 4); return __LINE__; }
int reportDbgGrey() { SENSOR_DBG_COLOUR(0, 37, "open file:%s\n", "/x"); return __LINE__; }
int reportInfo() { SENSOR_INFO("info(%d)\n", 5); return __LINE__; }
int reportPrint() { SENSOR_PRINT(0, 32, "print(%d)\n", 6); return __LINE__; }
// clang-format on

std::string where(const std::string& p_strTag, const std::string& p_strFunction, int p_nLine) {
    return p_strTag + " file:ReportFormTest.cpp fun:" + p_strFunction + " line:" + std::to_string(p_nLine) + "\n";
}

std::string header(int p_nColour, const std::string& p_strTag, const std::string& p_strFunction, int p_nLine) {
    return "\033[0m\033[" + std::to_string(p_nColour) + "m" + where(p_strTag, p_strFunction, p_nLine);
}

struct Form {
    const char* szName;
    int (*report)();
    int nMinLevel;  // lowest verbosity at which it prints
    std::string (*console)(int p_nLine);
    std::string (*log)(int p_nLine);  // "" when not logged
};

std::string noLog(int) { return ""; }

const Form kForms[] = {
    {"assert", reportAssert, 0,
     [](int n) {
         return header(31, "[sensor assert]", "reportAssert", n) +
                "1 == probe()   ~~~Assertion failed.\n\033[0m\033[0m\033[31mprobe(7)\n\033[0m";
     },
     [](int n) {
         return where("[sensor assert]", "reportAssert", n) +
                "[sensor assert] 1 == probe()   ~~~Assertion failed.\n[sensor assert] probe(7)\n";
     }},
    // An empty message keeps its colours and logs an empty entry.
    {"empty assert", reportEmptyAssert, 0,
     [](int n) {
         return header(31, "[sensor assert]", "reportEmptyAssert", n) +
                "ok   ~~~Assertion failed.\n\033[0m\033[0m\033[31m\033[0m";
     },
     [](int n) {
         return where("[sensor assert]", "reportEmptyAssert", n) +
                "[sensor assert] ok   ~~~Assertion failed.\n[sensor assert] \n";
     }},
    {"log", reportLog, 0, [](int n) { return header(0, "[sensor assert]", "reportLog", n) + "log(1)\n\033[0m"; },
     [](int n) { return where("[sensor assert]", "reportLog", n) + "[sensor assert] log(1)\n"; }},
    {"warn", reportWarn, 4, [](int n) { return header(0, "[sensor warn]", "reportWarn", n) + "warn(two)\n\033[0m"; },
     [](int n) { return where("[sensor warn]", "reportWarn", n) + "[sensor warn] warn(two)\n"; }},
    // The message is printed as given: no line end is added.
    {"err", reportErr, 6, [](int n) { return header(0, "[sensor err]", "reportErr", n) + "err(3)\033[0m"; }, noLog},
    {"dbg", reportDbg, 6, [](int n) { return header(0, "[sensor dbg]", "reportDbg", n) + "dbg(4)\n\033[0m"; }, noLog},
    {"dbg grey", reportDbgGrey, 6,
     [](int n) { return header(37, "[sensor dbg]", "reportDbgGrey", n) + "open file:/x\n\033[0m"; }, noLog},
    {"info", reportInfo, 7, [](int n) { return header(35, "[sensor info]", "reportInfo", n) + "info(5)\n\033[0m"; },
     noLog},
    {"print", reportPrint, 6, [](int) { return std::string("\033[0m\033[32mprint(6)\n\033[0m"); }, noLog},
};

class ReportTest : public DeviceFixture {};

// Every level on each side of each form's threshold.
TEST_F(ReportTest, EachFormPrintsAndLogsAtItsLevel) {
    const struct {
        const char* szControl;  // nullptr: no control file
        int nLevel;
    } aLevels[] = {{nullptr, 1},  {"3\n", 3}, {"4\n", 4},   {"5", 5},
                   {"6\n0\n", 6}, {"7\n", 7}, {"-1\n", -1}, {"letters\n", 0}};
    for (const auto& level : aLevels) {
        SCOPED_TRACE(level.szControl == nullptr ? "no file" : level.szControl);
        if (level.szControl != nullptr) setDebugControl(level.szControl);
        for (const Form& form : kForms) {
            removeFile(kErrorLog);
            testing::internal::CaptureStdout();
            const int nLine = form.report();
            const std::string strConsole = testing::internal::GetCapturedStdout();
            const bool bSpeaks = level.nLevel >= form.nMinLevel;
            EXPECT_EQ(bSpeaks ? form.console(nLine) : "", strConsole) << form.szName;
            EXPECT_EQ(bSpeaks ? form.log(nLine) : "", readFile(kErrorLog)) << form.szName;
        }
        EXPECT_EQ(level.nLevel, g_nDebugLevel.load());
        EXPECT_FALSE(g_bEnAssert.load());
    }
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
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(strLong + "\033[0m"));

    const std::string strLog = readFile(kErrorLog);
    const std::string strCut = strLong.substr(0, 499);
    EXPECT_NE(std::string::npos, strLog.find("\n[sensor warn] " + strCut + "\n"));
    EXPECT_NE(std::string::npos, strLog.find("\n[sensor assert] " + strCut + "\n"));
    EXPECT_EQ(std::string::npos, strLog.find(strLong.substr(0, 500)));
}

}  // namespace
