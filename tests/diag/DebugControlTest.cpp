// The control file "/tmp/Debug.sign": how its lines set the verbosity and the
// abort flag, and what a failed assertion does with them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "DeviceFixture.h"
#include "DeviceRoot.h"
#include "diag/SensorReport.h"

namespace {

const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";

class DebugControlTest : public DeviceFixture {};

TEST_F(DebugControlTest, LinesSetLevelAndAbortFlag) {
    const struct {
        const char* szControl;
        int nLevel;
        bool bEnAssert;
    } aCases[] = {{"-1\n1\n", -1, true}, {"6\n0\n", 6, false}, {"\n1\n", 1, true},
                  {"7\r\n2\r\n", 7, true}, {"", 1, false},      {"5\nyes\n", 5, false}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szControl);
        setDebugControl(c.szControl);
        updateDebugLevel();
        EXPECT_EQ(c.nLevel, g_nDebugLevel.load());
        EXPECT_EQ(c.bEnAssert, g_bEnAssert.load());
    }
}

class DebugControlFileTest : public DeviceFixture {};

TEST_F(DebugControlFileTest, DeletingTheFileRestoresTheDefaults) {
    setDebugControl("7\n1\n");
    updateDebugLevel();
    ASSERT_EQ(7, g_nDebugLevel.load());
    removeFile("/tmp/Debug.sign");
    testing::internal::CaptureStdout();
    SENSOR_INFO("gone\n");
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, g_nDebugLevel.load());
    EXPECT_FALSE(g_bEnAssert.load());
}

// A socket exists but cannot be opened as a file, even by root.
TEST_F(DebugControlFileTest, UnopenableFileLeavesTheSettings) {
    setDebugControl("6\n1\n");
    updateDebugLevel();
    removeFile("/tmp/Debug.sign");

    const int nSocket = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(nSocket, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::string strPath = hostPath("/tmp/Debug.sign");
    ASSERT_LT(strPath.size(), sizeof(address.sun_path));
    strPath.copy(address.sun_path, strPath.size());
    ASSERT_EQ(0, bind(nSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)));

    updateDebugLevel();
    EXPECT_EQ(6, g_nDebugLevel.load());
    EXPECT_TRUE(g_bEnAssert.load());
    close(nSocket);
    removeFile("/tmp/Debug.sign");
    updateDebugLevel();
    EXPECT_FALSE(g_bEnAssert.load());
}

// The child of a death test runs the test again in a device root of its own.
// This hands it the parent's root through the environment, so that what the
// child writes lands where the parent looks.
class SharedDeathRoot {
public:
    explicit SharedDeathRoot(const std::string& p_strOwnRoot) : m_strOwnRoot(p_strOwnRoot) {
        setenv(kVariable, p_strOwnRoot.c_str(), 0);
        m_strShared = getenv(kVariable);
    }
    ~SharedDeathRoot() {
        if (m_strShared == m_strOwnRoot) unsetenv(kVariable);
    }
    // In the child: drop the child's own root and work in the parent's.
    void enter() const {
        if (m_strShared != m_strOwnRoot) std::filesystem::remove_all(m_strOwnRoot);
        DeviceRoot::setRoot(m_strShared);
    }

private:
    static constexpr const char* kVariable = "SENSORDLL_DEATH_TEST_ROOT";
    std::string m_strOwnRoot;
    std::string m_strShared;
};

// Console output goes to standard error, where the death test sees it.
void failAssertionOnStderr(const SharedDeathRoot& p_objRoot) {
    p_objRoot.enter();
    dup2(STDERR_FILENO, STDOUT_FILENO);
    SENSOR_ASSERT_EXPR(false, "1 == probe()", "probe failed\n");
}

// Whether this test program can start itself again, as the threadsafe death
// tests do. A user-mode emulator without a binary-format registration cannot.
bool testProgramReexecutes() {
    static const bool s_bReexecutes = [] {
        const pid_t nChild = fork();
        if (nChild == 0) {
            const int nNull = open("/dev/null", O_WRONLY);
            dup2(nNull, STDOUT_FILENO);
            dup2(nNull, STDERR_FILENO);
            execl("/proc/self/exe", "probe", "--gtest_list_tests", "--gtest_filter=-*", static_cast<char*>(nullptr));
            _exit(127);
        }
        int nStatus = 0;
        return nChild > 0 && waitpid(nChild, &nStatus, 0) == nChild && WIFEXITED(nStatus) &&
               WEXITSTATUS(nStatus) == 0;
    }();
    return s_bReexecutes;
}

class DebugControlDeathTest : public DeviceFixture {
protected:
    // This program starts no threads of its own, so where the program cannot
    // be started again, forking the child is safe as well.
    void SetUp() override {
        DeviceFixture::SetUp();
        GTEST_FLAG_SET(death_test_style, testProgramReexecutes() ? "threadsafe" : "fast");
    }
};

TEST_F(DebugControlDeathTest, NegativeLevelWithAssertAbortsWithoutReport) {
    const SharedDeathRoot objRoot(root());
    setDebugControl("-1\n1\n");
    // Standard error holds the system library's own line and no report; a
    // user-mode emulator adds a line of its own about the signal.
    EXPECT_DEATH(failAssertionOnStderr(objRoot),
                 "^[^[]*Assertion `bRet' failed\\.\n(qemu: [^\n]*\n)?$");
    EXPECT_FALSE(fileExists(kErrorLog));
}

TEST_F(DebugControlDeathTest, EnabledAssertAbortsAfterTheReport) {
    const SharedDeathRoot objRoot(root());
    setDebugControl("1\n1\n");
    EXPECT_DEATH(failAssertionOnStderr(objRoot),
                 "\\[sensor assert\\] file:DebugControlTest\\.cpp fun:failAssertionOnStderr line:[0-9]+\n"
                 "1 == probe\\(\\)   ~~~Assertion failed\\.\n.*probe failed\n.*"
                 "DebugControlTest\\.cpp:[0-9]+: .*failAssertionOnStderr.*: Assertion `bRet' failed\\.");
    const std::string strLog = readFile(kErrorLog);
    EXPECT_NE(std::string::npos, strLog.find("[sensor assert] 1 == probe()   ~~~Assertion failed.\n"));
    EXPECT_NE(std::string::npos, strLog.find("[sensor assert] probe failed\n"));
}

}  // namespace
