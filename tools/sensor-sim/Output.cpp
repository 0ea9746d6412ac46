// The simulator's output stream beside the library's standard output, and
// the JSON answers.
#include "Output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

namespace sensorsim {
namespace out {

namespace {

FILE* s_pOut = nullptr;
bool s_bJson = false;
// The answer being gathered in JSON mode, and where its fields go.
std::unique_ptr<nlohmann::ordered_json> s_pAnswer;
nlohmann::ordered_json* s_pFields = nullptr;

void finish(FILE* p_pStream) { std::fflush(p_pStream); }

void writeJson(const nlohmann::ordered_json& p_objAnswer) {
    FILE* pOut = stream();
    // Text from files or the library may not be UTF-8: replace, never throw.
    const std::string strLine = p_objAnswer.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::fprintf(pOut, "%s\n", strLine.c_str());
    finish(pOut);
}

// Appends text to the answer's list NAME; false when no answer gathers.
bool gather(const char* p_szName, const std::string& p_strText) {
    if (!s_bJson) return false;
    if (s_pAnswer) {
        (*s_pAnswer)[p_szName].push_back(p_strText);
    } else {
        // Output outside any command: an answer of its own.
        nlohmann::ordered_json objAnswer = {{"command", ""}, {"status", 0}};
        objAnswer[p_szName].push_back(p_strText);
        writeJson(objAnswer);
    }
    return true;
}

}  // namespace

FILE* stream() {
    std::fflush(stdout);
    return s_pOut != nullptr ? s_pOut : stdout;
}

bool init(bool p_bQuiet, bool p_bJson) {
    s_bJson = p_bJson;
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

bool json() { return s_bJson; }

void line(const std::string& p_strText) {
    if (gather("lines", p_strText)) return;
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
    if (s_bJson) return;  // the answer names its command
    FILE* pOut = stream();
    std::fprintf(pOut, "sim> %s\n", p_strCommand.c_str());
    finish(pOut);
}

void raw(const std::string& p_strText) {
    if (s_bJson) {
        std::istringstream lines(p_strText);
        for (std::string strLine; std::getline(lines, strLine);) gather("lines", strLine);
        return;
    }
    FILE* pOut = stream();
    std::fputs(p_strText.c_str(), pOut);
    finish(pOut);
}

void error(const std::string& p_strWhere, const std::string& p_strMessage) {
    if (s_bJson && s_pAnswer) {
        if (s_pAnswer->contains("error")) return;
        (*s_pAnswer)["error"] = p_strMessage;
        if (!p_strWhere.empty()) (*s_pAnswer)["where"] = p_strWhere;
        return;
    }
    stream();
    if (s_pOut != nullptr) std::fflush(s_pOut);
    if (p_strWhere.empty())
        std::fprintf(stderr, "sensor-sim: error: %s\n", p_strMessage.c_str());
    else
        std::fprintf(stderr, "sensor-sim: %s: error: %s\n", p_strWhere.c_str(), p_strMessage.c_str());
    std::fflush(stderr);
}

void warning(const std::string& p_strText) {
    if (!gather("warnings", p_strText)) line("warning: " + p_strText);
}

void bare(const std::string& p_strText) {
    if (!s_bJson) raw(p_strText + "\n");
}

void beginAnswer(const std::string& p_strCommand, const std::vector<std::string>& p_vecArgs, int p_nChannel) {
    if (!s_bJson) return;
    s_pAnswer.reset(new nlohmann::ordered_json{{"command", p_strCommand}, {"args", p_vecArgs}});
    if (p_nChannel > 0) (*s_pAnswer)["channel"] = p_nChannel;
    s_pFields = s_pAnswer.get();
}

void endAnswer(int p_nStatus) {
    if (!s_pAnswer) return;
    std::unique_ptr<nlohmann::ordered_json> pGathered = std::move(s_pAnswer);
    s_pFields = nullptr;
    // One order for every answer: what ran and how it ended, the command's
    // own fields, then its text.
    nlohmann::ordered_json objAnswer;
    for (const char* szName : {"command", "args", "channel"})
        if (pGathered->contains(szName)) objAnswer[szName] = (*pGathered)[szName];
    objAnswer["status"] = p_nStatus;
    for (const char* szName : {"error", "where"})
        if (pGathered->contains(szName)) objAnswer[szName] = (*pGathered)[szName];
    for (auto it = pGathered->begin(); it != pGathered->end(); ++it)
        if (!objAnswer.contains(it.key()) && it.key() != "warnings" && it.key() != "lines")
            objAnswer[it.key()] = it.value();
    if (pGathered->contains("warnings")) objAnswer["warnings"] = (*pGathered)["warnings"];
    objAnswer["lines"] = pGathered->contains("lines") ? (*pGathered)["lines"] : nlohmann::ordered_json::array();
    writeJson(objAnswer);
}

void field(const char* p_szName, long long p_nValue) {
    if (s_pFields != nullptr) (*s_pFields)[p_szName] = p_nValue;
}

void field(const char* p_szName, const std::string& p_strValue) {
    if (s_pFields != nullptr) (*s_pFields)[p_szName] = p_strValue;
}

void fieldFlag(const char* p_szName, bool p_bValue) {
    if (s_pFields != nullptr) (*s_pFields)[p_szName] = p_bValue;
}

void fieldOptions(const char* p_szName, const std::vector<std::pair<long long, std::string>>& p_vecOptions) {
    if (s_pFields == nullptr) return;
    nlohmann::ordered_json objList = nlohmann::ordered_json::array();
    for (const auto& option : p_vecOptions) objList.push_back({{"index", option.first}, {"text", option.second}});
    (*s_pFields)[p_szName] = objList;
}

void item() {
    if (!s_pAnswer) return;
    nlohmann::ordered_json& objItems = (*s_pAnswer)["items"];
    objItems.push_back(nlohmann::ordered_json::object());
    s_pFields = &objItems.back();
}

}  // namespace out
}  // namespace sensorsim
