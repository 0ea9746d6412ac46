// Reading numbers, keys, switches and times from the user's words.
#include "Values.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace sensorsim {

long long parseInteger(const std::string& p_strWord, const std::string& p_strWhat) {
    const size_t nSign = !p_strWord.empty() && (p_strWord[0] == '-' || p_strWord[0] == '+') ? 1 : 0;
    const bool bHex = p_strWord.size() > nSign + 2 && p_strWord[nSign] == '0' &&
                      std::tolower(static_cast<unsigned char>(p_strWord[nSign + 1])) == 'x';
    const bool bStartsWithDigit =
        p_strWord.size() > nSign && std::isdigit(static_cast<unsigned char>(p_strWord[nSign]));
    char* pEnd = nullptr;
    errno = 0;
    const long long nValue = std::strtoll(p_strWord.c_str(), &pEnd, bHex ? 16 : 10);
    if (!bStartsWithDigit || *pEnd != '\0' || errno == ERANGE)
        throw InputError(p_strWhat + " '" + p_strWord + "' is not a number");
    if (nValue < -2147483648LL || nValue > 4294967295LL)
        throw InputError(p_strWhat + " '" + p_strWord + "' does not fit in 32 bits");
    return nValue;
}

int parseValue(const std::string& p_strWord, const std::string& p_strWhat) {
    return static_cast<int>(static_cast<uint32_t>(parseInteger(p_strWord, p_strWhat)));
}

const KeyInfo& parseKey(const std::string& p_strWord) {
    if (!p_strWord.empty() && (std::isdigit(static_cast<unsigned char>(p_strWord[0])) || p_strWord[0] == '-')) {
        const long long nKey = parseInteger(p_strWord, "key");
        const KeyInfo* pInfo = nKey >= 0 ? findKey(static_cast<unsigned int>(nKey)) : nullptr;
        if (pInfo == nullptr) throw InputError("unknown key " + p_strWord + " ('keys' lists them)");
        return *pInfo;
    }
    const KeyInfo* pInfo = findKeyByName(p_strWord);
    if (pInfo != nullptr) return *pInfo;
    std::string strMessage = "unknown key '" + p_strWord + "'";
    const std::vector<const KeyInfo*> vecNear = keysContaining(p_strWord);
    if (!vecNear.empty() && vecNear.size() <= 6) {
        strMessage += " (did you mean";
        for (size_t i = 0; i < vecNear.size(); ++i) strMessage += (i == 0 ? " " : ", ") + std::string(vecNear[i]->name);
        strMessage += "?)";
    } else {
        strMessage += " ('keys' lists them)";
    }
    throw InputError(strMessage);
}

bool parseSwitch(const std::string& p_strWord, const std::string& p_strWhat) {
    std::string strWord;
    for (char c : p_strWord) strWord += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (strWord == "on" || strWord == "1" || strWord == "yes" || strWord == "true") return true;
    if (strWord == "off" || strWord == "0" || strWord == "no" || strWord == "false") return false;
    throw InputError(p_strWhat + " '" + p_strWord + "' is neither on nor off");
}

void parseClock(const std::string& p_strWord, int& p_nHour, int& p_nMinute) {
    const size_t nColon = p_strWord.find(':');
    if (nColon == std::string::npos || nColon == 0 || nColon > 2 || p_strWord.size() != nColon + 3)
        throw InputError("time '" + p_strWord + "' is not HH:MM");
    for (size_t i = 0; i < p_strWord.size(); ++i)
        if (i != nColon && !std::isdigit(static_cast<unsigned char>(p_strWord[i])))
            throw InputError("time '" + p_strWord + "' is not HH:MM");
    p_nHour = std::atoi(p_strWord.substr(0, nColon).c_str());
    p_nMinute = std::atoi(p_strWord.substr(nColon + 1).c_str());
    if (p_nHour > 23 || p_nMinute > 59) throw InputError("time '" + p_strWord + "' is not a time of day");
}

std::string wrapHelp(const std::string& p_strHead, const std::string& p_strText, size_t p_nColumn) {
    const size_t nWidth = 100;
    std::string strOut = p_strHead;
    size_t nUsed = strOut.size();
    if (nUsed + 2 > p_nColumn) {
        strOut += "\n";
        nUsed = 0;
    }
    strOut += std::string(p_nColumn - nUsed, ' ');
    nUsed = p_nColumn;
    std::istringstream words(p_strText);
    std::string strWord;
    bool bFirst = true;
    while (words >> strWord) {
        if (!bFirst && nUsed + 1 + strWord.size() > nWidth) {
            strOut += "\n" + std::string(p_nColumn, ' ');
            nUsed = p_nColumn;
            bFirst = true;
        }
        if (!bFirst) {
            strOut += " ";
            ++nUsed;
        }
        strOut += strWord;
        nUsed += strWord.size();
        bFirst = false;
    }
    return strOut + "\n";
}

}  // namespace sensorsim
