// Key names and numbers from the library's one key list.
#include "CfgKeys.h"

#include <errno.h>
#include <stdlib.h>

#include <cctype>

#include "SensorKeyTable.h"

namespace sensorcfg {

namespace {

struct KeyName {
    u32 key;
    const char* name;
};

// The stored-only rows, the rows the ISP names and the map-less twins all
// name a key; TWIN lines only pair keys that are listed anyway.
#define CFG_KEY_ROW(name, key, command, handler) {key, #name},
#define CFG_KEY_STORED(name, key) {key, #name},
#define CFG_KEY_TWIN(twin, plain)
#define CFG_KEY_MAPLESS(name, key, plain) {key, #name},
constexpr KeyName KEY_NAMES[] = {
    SENSOR_KEY_VOCABULARY(CFG_KEY_ROW, CFG_KEY_STORED, CFG_KEY_ROW, CFG_KEY_TWIN, CFG_KEY_MAPLESS)};
#undef CFG_KEY_ROW
#undef CFG_KEY_STORED
#undef CFG_KEY_TWIN
#undef CFG_KEY_MAPLESS

std::string upper(const std::string& p_strText) {
    std::string strOut = p_strText;
    for (char& c : strOut) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return strOut;
}

// A whole number of the text in [p_nMin, p_nMax]: decimal with an optional
// sign, or 0x hexadecimal. No blanks, no trailing characters, no octal.
bool parseNumber(const std::string& p_strText, long long p_nMin, long long p_nMax, long long& p_nNumber) {
    const bool bHex = p_strText.size() > 2 && p_strText[0] == '0' && (p_strText[1] == 'x' || p_strText[1] == 'X');
    const size_t nDigits = bHex ? 2 : (!p_strText.empty() && (p_strText[0] == '-' || p_strText[0] == '+') ? 1 : 0);
    if (nDigits >= p_strText.size()) return false;
    for (size_t i = nDigits; i < p_strText.size(); ++i)
        if (!(bHex ? std::isxdigit(static_cast<unsigned char>(p_strText[i]))
                   : std::isdigit(static_cast<unsigned char>(p_strText[i]))))
            return false;
    errno = 0;
    const long long nNumber = strtoll(p_strText.c_str(), nullptr, bHex ? 16 : 10);
    if (errno == ERANGE || nNumber < p_nMin || nNumber > p_nMax) return false;
    p_nNumber = nNumber;
    return true;
}

}  // namespace

const char* keyName(u32 p_nKey) {
    for (const KeyName& stKey : KEY_NAMES)
        if (stKey.key == p_nKey) return stKey.name;
    return nullptr;
}

std::string keyLabel(u32 p_nKey) {
    const char* szName = keyName(p_nKey);
    if (szName == nullptr) return "key " + std::to_string(p_nKey);
    return std::string(szName) + " (" + std::to_string(p_nKey) + ")";
}

bool parseKey(const std::string& p_strText, u32& p_nKey) {
    long long nNumber = 0;
    if (parseNumber(p_strText, 0, 0xFFFFFFFFLL, nNumber)) {
        p_nKey = static_cast<u32>(nNumber);
        return keyName(p_nKey) != nullptr;
    }
    const std::string strWanted = upper(p_strText);
    for (const KeyName& stKey : KEY_NAMES) {
        const std::string strName = stKey.name;
        if (strName == strWanted || strName == "KEY_" + strWanted) {
            p_nKey = stKey.key;
            return true;
        }
    }
    return false;
}

bool parseValue(const std::string& p_strText, u32& p_nValue) {
    long long nNumber = 0;
    if (!parseNumber(p_strText, -0x80000000LL, 0xFFFFFFFFLL, nNumber)) return false;
    p_nValue = static_cast<u32>(nNumber);
    return true;
}

}  // namespace sensorcfg
