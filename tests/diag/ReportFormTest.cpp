// The reporting forms: exact console bytes and colours, error-log entries,
// and which forms speak at which verbosity.
#include <gtest/gtest.h>

#include <string>

#include "DeviceFixture.h"
#include "diag/SensorReport.h"
#include "platform/CameraPaths.h"

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

// On the console a form prints its colour, a line naming the file, function
// and line under its tag (none for a print), its text and the colour reset;
// a logged form writes the same line and its entries to the error log.
struct Form {
    const char* szFunction;
    int (*report)();
    int nMinLevel;  // lowest verbosity at which it prints
    int nColour;
    const char* szTag;
    const char* szConsole;  // between the naming line and the reset
    const char* szLog;      // after the naming line; nullptr when not logged
};

const Form kForms[] = {
    {"reportAssert", reportAssert, 0, 31, "[sensor assert]",
     "1 == probe()   ~~~Assertion failed.\n\033[0m\033[0m\033[31mprobe(7)\n",
     "[sensor assert] 1 == probe()   ~~~Assertion failed.\n[sensor assert] probe(7)\n"},
    // An empty message keeps its colours and logs an empty entry.
    {"reportEmptyAssert", reportEmptyAssert, 0, 31, "[sensor assert]",
     "ok   ~~~Assertion failed.\n\033[0m\033[0m\033[31m",
     "[sensor assert] ok   ~~~Assertion failed.\n[sensor assert] \n"},
    {"reportLog", reportLog, 0, 0, "[sensor assert]", "log(1)\n", "[sensor assert] log(1)\n"},
    {"reportWarn", reportWarn, 4, 0, "[sensor warn]", "warn(two)\n", "[sensor warn] warn(two)\n"},
    // The message is printed as given: no line end is added.
    {"reportErr", reportErr, 6, 0, "[sensor err]", "err(3)", nullptr},
    {"reportDbg", reportDbg, 6, 0, "[sensor dbg]", "dbg(4)\n", nullptr},
    {"reportDbgGrey", reportDbgGrey, 6, 37, "[sensor dbg]", "open file:/x\n", nullptr},
    {"reportInfo", reportInfo, 7, 35, "[sensor info]", "info(5)\n", nullptr},
    {"reportPrint", reportPrint, 6, 32, nullptr, "print(6)\n", nullptr},
};

// The naming line of a report from the line, and what the form prints.
std::string where(const Form& f, int p_nLine) {
    if (f.szTag == nullptr) return "";
    return std::string(f.szTag) + " file:ReportFormTest.cpp fun:" + f.szFunction + " line:" + std::to_string(p_nLine) +
           "\n";
}
std::string console(const Form& f, int p_nLine) {
    return "\033[0m\033[" + std::to_string(f.nColour) + "m" + where(f, p_nLine) + f.szConsole + "\033[0m";
}

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
            EXPECT_EQ(bSpeaks ? console(form, nLine) : "", strConsole) << form.szFunction;
            EXPECT_EQ(bSpeaks && form.szLog ? where(form, nLine) + form.szLog : "", readFile(kErrorLog))
                << form.szFunction;
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
