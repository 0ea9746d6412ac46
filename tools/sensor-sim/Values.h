// Reading the user's words: numbers, keys, on/off, times; and the layout of
// help texts. A word that does not read raises InputError with a one-line
// message; nothing has been done at that point.
#ifndef SENSOR_SIM_VALUES_H
#define SENSOR_SIM_VALUES_H

#include <stdexcept>
#include <string>

#include "KeyNames.h"

namespace sensorsim {

class InputError : public std::runtime_error {
public:
    explicit InputError(const std::string& p_strMessage) : std::runtime_error(p_strMessage) {}
};

// A 32-bit integer: decimal, or hexadecimal with 0x; a sign is allowed.
// Values from INT32_MIN to UINT32_MAX are taken (the library keeps 32 bits).
long long parseInteger(const std::string& p_strWord, const std::string& p_strWhat);
// parseInteger narrowed to the 32-bit word the library stores: values above
// INT32_MAX keep their bits.
int parseValue(const std::string& p_strWord, const std::string& p_strWhat);
// A key by number or name (see findKeyByName); an unknown one is an error
// that names the keys whose names contain the word.
const KeyInfo& parseKey(const std::string& p_strWord);
// on/off, 1/0, yes/no, true/false.
bool parseSwitch(const std::string& p_strWord, const std::string& p_strWhat);
// "HH:MM" with hour 0 to 23 and minute 0 to 59.
void parseClock(const std::string& p_strWord, int& p_nHour, int& p_nMinute);

// "head  text", text wrapped at 100 columns and indented to p_nColumn.
std::string wrapHelp(const std::string& p_strHead, const std::string& p_strText, size_t p_nColumn);

}  // namespace sensorsim

#endif
