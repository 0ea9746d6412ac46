// String splitting, decimal parsing and the shell command runner.
#include "StringHandler.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

#include "DeviceRoot.h"
#include "HostSimulationState.h"

extern char** environ;

void StringHandler::split(const std::string& p_strText, std::vector<std::string>& p_vecItems,
                          const std::string& p_strSeparator) {
    if (p_strText.empty()) return;
    if (p_strSeparator.empty()) {
        p_vecItems.push_back(p_strText);
        return;
    }
    size_t nStart = 0;
    for (;;) {
        const size_t nFound = p_strText.find(p_strSeparator, nStart);
        if (nFound == std::string::npos) {
            p_vecItems.push_back(p_strText.substr(nStart));
            return;
        }
        p_vecItems.push_back(p_strText.substr(nStart, nFound - nStart));
        nStart = nFound + p_strSeparator.size();
    }
}

bool StringHandler::str2type(const std::string& p_strText, int& p_nValue) {
    size_t nPos = 0;
    while (nPos < p_strText.size() && (p_strText[nPos] == ' ' || p_strText[nPos] == '\t')) ++nPos;
    bool bNegative = false;
    if (nPos < p_strText.size() && (p_strText[nPos] == '+' || p_strText[nPos] == '-')) {
        bNegative = p_strText[nPos] == '-';
        ++nPos;
    }
    if (nPos >= p_strText.size() || p_strText[nPos] < '0' || p_strText[nPos] > '9') return false;
    // Accumulated as a negative number so that INT_MIN fits.
    long long nValue = 0;
    for (; nPos < p_strText.size() && p_strText[nPos] >= '0' && p_strText[nPos] <= '9'; ++nPos) {
        nValue = nValue * 10 - (p_strText[nPos] - '0');
        if (nValue < -2147483648LL) return false;
    }
    if (!bNegative) {
        if (nValue < -2147483647LL) return false;
        nValue = -nValue;
    }
    p_nValue = static_cast<int>(nValue);
    return true;
}

namespace {

// Every word that starts with "/" is a camera path and is moved under the
// device root; the root is quoted so that only the camera part is globbed.
std::string resolveCommandPaths(const std::string& p_strCommand) {
    const std::string strRoot = DeviceRoot::root();
    if (strRoot.empty()) return p_strCommand;
    std::string strQuotedRoot = "'";
    for (char c : strRoot) {
        if (c == '\'')
            strQuotedRoot += "'\\''";
        else
            strQuotedRoot += c;
    }
    strQuotedRoot += "'";

    std::string strResult;
    bool bWordStart = true;
    for (char c : p_strCommand) {
        const bool bBlank = c == ' ' || c == '\t' || c == '\n';
        if (bWordStart && c == '/') strResult += strQuotedRoot;
        strResult += c;
        bWordStart = bBlank;
    }
    return strResult;
}

void pause(long p_nMilliseconds) {
    struct timespec stWait;
    stWait.tv_sec = p_nMilliseconds / 1000;
    stWait.tv_nsec = (p_nMilliseconds % 1000) * 1000000L;
    nanosleep(&stWait, nullptr);
}

long elapsedMilliseconds(const struct timespec& p_stStart) {
    struct timespec stNow;
    clock_gettime(CLOCK_MONOTONIC, &stNow);
    return static_cast<long>(stNow.tv_sec - p_stStart.tv_sec) * 1000L + (stNow.tv_nsec - p_stStart.tv_nsec) / 1000000L;
}

}  // namespace

int sy_system(const char* p_szCommand, int p_nTimeoutSeconds) {
    if (p_szCommand == nullptr) return -1;
    hostsim::detail::recordSystemCommand(p_szCommand);
    const std::string strCommand = resolveCommandPaths(p_szCommand);

    char szShell[] = "sh";
    char szFlag[] = "-c";
    std::string strArgument = strCommand;
    char* aArgs[] = {szShell, szFlag, &strArgument[0], nullptr};

    // The command runs in a process group of its own so that a timeout ends
    // everything it started.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t nPid = 0;
    const int nError = posix_spawn(&nPid, "/bin/sh", nullptr, &attr, aArgs, environ);
    posix_spawnattr_destroy(&attr);
    if (nError != 0) return -1;

    struct timespec stStart;
    clock_gettime(CLOCK_MONOTONIC, &stStart);
    long nPause = 1;
    int nStatus = 0;
    for (;;) {
        const pid_t nDone = waitpid(nPid, &nStatus, WNOHANG);
        if (nDone == nPid) break;
        if (nDone < 0 && errno != EINTR) return -1;
        if (p_nTimeoutSeconds > 0 && elapsedMilliseconds(stStart) >= p_nTimeoutSeconds * 1000L) {
            kill(-nPid, SIGKILL);
            while (waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR) {
            }
            return -1;
        }
        pause(nPause);
        if (nPause < 50) nPause *= 2;
    }
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}
