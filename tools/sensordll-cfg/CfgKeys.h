// Key names and numbers for sensordll-cfg, expanded at compile time from the
// library's key vocabulary (SensorKeyTable.h): the 165 rows of the map and
// the four intelligent-light twins that only the scheme arrays hold.
#ifndef SENSORDLL_CFG_KEYS_H
#define SENSORDLL_CFG_KEYS_H

#include <string>

#include "SensorTypes.h"

namespace sensorcfg {

// The full name of a key of the vocabulary; nullptr for any other number.
const char* keyName(u32 p_nKey);

// "KEY_BRIGHTNESS (34)", or "key 12345" for a number the vocabulary lacks.
std::string keyLabel(u32 p_nKey);

// A key given on the command line: a number of the vocabulary (decimal, or
// hexadecimal with 0x), or a name as keyName gives it, in any case and with
// or without its "KEY_" prefix. False for anything else.
bool parseKey(const std::string& p_strText, u32& p_nKey);

// A value given on the command line: decimal with an optional sign, or
// hexadecimal with 0x, from -2147483648 to 4294967295 (the 32 bits as a
// signed or an unsigned number). False for anything else.
bool parseValue(const std::string& p_strText, u32& p_nValue);

}  // namespace sensorcfg

#endif
