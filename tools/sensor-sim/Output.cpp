// The simulator's output stream beside the library's standard output.
#include "Output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace sensorsim {
namespace out {

namespace {

FILE* s_pOut = nullptr;

FILE* stream() {
    std::fflush(stdout);
    return s_pOut != nullptr ? s_pOut : stdout;
}

void finish(FILE* p_pStream) { std::fflush(p_pStream); }

}  // namespace

bool init(bool p_bQuiet) {
    std::fflush(stdout);
    const int nCopy = dup(STDOUT_FILENO);
    if (nCopy < 0) return false;
    s_pOut = fdopen(nCopy, "w");
    if (s_pOut == nullptr) {
        close(nCopy);
        return false;
    }
    if (p_bQuiet) {
        const int nNull = open("/dev/null", O_WRONLY);
        if (nNull < 0) return false;
        dup2(nNull, STDOUT_FILENO);
        close(nNull);
    }
    return true;
}

void line(const std::string& p_strText) {
    FILE* pOut = stream();
    std::fprintf(pOut, "sim: %s\n", p_strText.c_str());
    finish(pOut);
}

void linef(const char* p_szFormat, ...) {
    va_list args;
    va_start(args, p_szFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    const int nLength = std::vsnprintf(nullptr, 0, p_szFormat, args);
    va_end(args);
    std::vector<char> vecText(nLength > 0 ? static_cast<size_t>(nLength) + 1 : 1, '\0');
    std::vsnprintf(vecText.data(), vecText.size(), p_szFormat, argsCopy);
    va_end(argsCopy);
    line(vecText.data());
}

void command(const std::string& p_strCommand) {
    FILE* pOut = stream();
    std::fprintf(pOut, "sim> %s\n", p_strCommand.c_str());
    finish(pOut);
}

void raw(const std::string& p_strText) {
    FILE* pOut = stream();
    std::fputs(p_strText.c_str(), pOut);
    finish(pOut);
}

void error(const std::string& p_strWhere, const std::string& p_strMessage) {
    stream();
    if (s_pOut != nullptr) std::fflush(s_pOut);
    if (p_strWhere.empty())
        std::fprintf(stderr, "sensor-sim: error: %s\n", p_strMessage.c_str());
    else
        std::fprintf(stderr, "sensor-sim: %s: error: %s\n", p_strWhere.c_str(), p_strMessage.c_str());
    std::fflush(stderr);
}

}  // namespace out
}  // namespace sensorsim
