// The control file camerapath::DEBUG_CONTROL_FILE: how its lines set the verbosity and the
// abort flag, and what a failed assertion does with them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "DeviceFixture.h"
#include "diag/SensorReport.h"
#include "platform/CameraPaths.h"

class DebugControlTest : public DeviceFixture {};

TEST_F(DebugControlTest, LinesSetLevelAndAbortFlag) {
    // Only the first few hundred bytes are read.
    const std::string strLong = std::string(100000, '0') + "7\n1\n";
    const struct {
        std::string strControl;
        int nLevel;
        bool bEnAssert;
    } aCases[] = {{"-1\n1\n", -1, true}, {"6\n0\n", 6, false},   {"\n1\n", 1, true}, {"7\r\n2\r\n", 7, true},
                  {"", 1, false},        {"5\nyes\n", 5, false}, {strLong, 0, false}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.strControl.substr(0, 20));
        setDebugControl(c.strControl);
        updateDebugLevel();
        EXPECT_EQ(c.nLevel, g_nDebugLevel.load());
        EXPECT_EQ(c.bEnAssert, g_bEnAssert.load());
        // Callers that test the level use what the last report read.
        setDebugControl("3\n");
        EXPECT_EQ(c.nLevel, sensorDebugLevel());
    }
}

// A socket exists but cannot be opened as a file, even by root; a FIFO (here
// holding lines, as a writer keeps it open) and a link to a device are not
// read either; a deleted file restores the defaults.
TEST_F(DebugControlTest, UnopenableFileLeavesTheSettings) {
    setDebugControl("6\n1\n");
    updateDebugLevel();
    const std::string strPath = hostPath(camerapath::DEBUG_CONTROL_FILE);
    removeFile(camerapath::DEBUG_CONTROL_FILE);

    ASSERT_EQ(0, mknod(strPath.c_str(), S_IFSOCK | 0600, 0));
    updateDebugLevel();
    removeFile(camerapath::DEBUG_CONTROL_FILE);

    ASSERT_EQ(0, mkfifo(strPath.c_str(), 0600));
    const int nFifo = open(strPath.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(4, write(nFifo, "7\n0\n", 4));
    updateDebugLevel();
    close(nFifo);
    removeFile(camerapath::DEBUG_CONTROL_FILE);
    ASSERT_EQ(0, symlink("/dev/null", strPath.c_str()));
    updateDebugLevel();

    EXPECT_EQ(6, g_nDebugLevel.load());
    EXPECT_TRUE(g_bEnAssert.load());
    removeFile(camerapath::DEBUG_CONTROL_FILE);
    testing::internal::CaptureStdout();
    SENSOR_INFO("gone\n");
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, g_nDebugLevel.load());
    EXPECT_FALSE(g_bEnAssert.load());
}

// Console output goes to standard error, where the death test sees it.
static void failAssertionOnStderr() {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    SENSOR_ASSERT_EXPR(false, "1 == probe()", "probe failed\n");
}

class DebugControlDeathTest : public DeviceFixture {};

// A forked child shares the parent's device root, and needs no way to start
// the program again (which a user-mode emulator without a binary-format
// registration lacks); this program starts no threads of its own. With a
// negative level standard error holds only the system library's own line; a
// user-mode emulator adds a line of its own about the signal.
TEST_F(DebugControlDeathTest, AFailedAssertionWithTheFlagAbortsAfterTheReportUnlessTheLevelIsNegative) {
    GTEST_FLAG_SET(death_test_style, "fast");
    setDebugControl("-1\n1\n");
    EXPECT_DEATH(failAssertionOnStderr(), "^[^[]*Assertion `bRet' failed\\.\n(qemu: [^\n]*\n)?$");
    EXPECT_FALSE(fileExists(camerapath::ERROR_LOG_FILE));
    setDebugControl("1\n1\n");
    EXPECT_DEATH(failAssertionOnStderr(),
                 "\\[sensor assert\\] file:DebugControlTest\\.cpp fun:failAssertionOnStderr line:[0-9]+\n"
                 "1 == probe\\(\\)   ~~~Assertion failed\\.\n.*probe failed\n.*"
                 "DebugControlTest\\.cpp:[0-9]+: .*failAssertionOnStderr.*: Assertion `bRet' failed\\.");
    const std::string strLog = readFile(camerapath::ERROR_LOG_FILE);
    EXPECT_NE(std::string::npos, strLog.find("[sensor assert] 1 == probe()   ~~~Assertion failed.\n"));
    EXPECT_NE(std::string::npos, strLog.find("[sensor assert] probe failed\n"));
}
