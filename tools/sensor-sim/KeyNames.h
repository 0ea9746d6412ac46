// The key vocabulary as the simulator's user sees it: names and numbers from
// the library's one key table, and the names of the ISP commands they become.
#ifndef SENSOR_SIM_KEY_NAMES_H
#define SENSOR_SIM_KEY_NAMES_H

#include <string>
#include <vector>

namespace sensorsim {

struct KeyInfo {
    const char* name;  // full name, e.g. "KEY_BRIGHTNESS"
    unsigned int key;
    unsigned int command;  // ISP command of the key's row; 0 without a handler
    const char* handler;   // handler member name, "" for keys without one
};

// Every key of the vocabulary: the key-command map's rows in map order, then
// the intelligent-light twins that have no row.
const std::vector<KeyInfo>& allKeys();

// By number; null when the vocabulary has no such key.
const KeyInfo* findKey(unsigned int p_nKey);
// By name, case-insensitive, "KEY_" optional; null when unknown.
const KeyInfo* findKeyByName(const std::string& p_strName);
// Names containing the text (case-insensitive), for suggestions.
std::vector<const KeyInfo*> keysContaining(const std::string& p_strText);

// "KEY_BRIGHTNESS (34)", or "key 9999" for a number outside the vocabulary.
std::string keyLabel(unsigned int p_nKey);
// Name of an ISP command: the key whose row sends it, or the ISP's own name;
// "" when neither is known.
std::string commandName(int p_nCommand);

}  // namespace sensorsim

#endif
