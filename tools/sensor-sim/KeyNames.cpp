// Key names and numbers, expanded from the library's key table.
#include "KeyNames.h"

#include <cctype>

#include "SensorKeys.h"
#include "ia_ioctrl.h"
#include "platform/IspCommands.h"

namespace sensorsim {

namespace {

#define SIM_KEY_ROW(name, key, command, handler) {#name, key, command, #handler},
#define SIM_KEY_STORED(name, key) {#name, key, 0, ""},
#define SIM_KEY_TWIN(twin, plain)
#define SIM_KEY_MAPLESS(name, key, plain) {#name, key, 0, ""},

const std::vector<KeyInfo> KEYS = {
    SENSOR_KEY_VOCABULARY(SIM_KEY_ROW, SIM_KEY_STORED, SIM_KEY_ROW, SIM_KEY_TWIN, SIM_KEY_MAPLESS)};

#undef SIM_KEY_ROW
#undef SIM_KEY_STORED
#undef SIM_KEY_TWIN
#undef SIM_KEY_MAPLESS

// ISP commands that no key's row sends: the ISP's own names where it has
// them, else what the command does.
struct CommandName {
    int command;
    const char* name;
};
#define SIM_ISP_NAMED(name, what) {name, #name},
#define SIM_ISP_OWN(name, command, what) {static_cast<int>(name), "(" what ")"},
const CommandName ISP_COMMAND_NAMES[] = {SENSOR_KEYLESS_ISP_COMMANDS(SIM_ISP_NAMED, SIM_ISP_OWN)};
#undef SIM_ISP_NAMED
#undef SIM_ISP_OWN

std::string upper(const std::string& p_strText) {
    std::string strOut = p_strText;
    for (char& c : strOut) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return strOut;
}

}  // namespace

const std::vector<KeyInfo>& allKeys() { return KEYS; }

const KeyInfo* findKey(unsigned int p_nKey) {
    for (const KeyInfo& info : KEYS)
        if (info.key == p_nKey) return &info;
    return nullptr;
}

const KeyInfo* findKeyByName(const std::string& p_strName) {
    const std::string strWanted = upper(p_strName);
    for (const KeyInfo& info : KEYS) {
        const std::string strName = info.name;
        if (strName == strWanted || strName == "KEY_" + strWanted) return &info;
    }
    return nullptr;
}

std::vector<const KeyInfo*> keysContaining(const std::string& p_strText) {
    std::vector<const KeyInfo*> vecFound;
    const std::string strWanted = upper(p_strText);
    if (strWanted.empty()) return vecFound;
    for (const KeyInfo& info : KEYS)
        if (std::string(info.name).find(strWanted) != std::string::npos) vecFound.push_back(&info);
    return vecFound;
}

std::string keyLabel(unsigned int p_nKey) {
    const KeyInfo* pInfo = findKey(p_nKey);
    if (pInfo == nullptr) return "key " + std::to_string(p_nKey);
    return std::string(pInfo->name) + " (" + std::to_string(p_nKey) + ")";
}

std::string commandName(int p_nCommand) {
    for (const KeyInfo& info : KEYS)
        if (info.handler[0] != '\0' && static_cast<int>(info.command) == p_nCommand) return info.name;
    for (const CommandName& entry : ISP_COMMAND_NAMES)
        if (entry.command == p_nCommand) return entry.name;
    // Commands read directly by key (reads outside the scheme arrays).
    const KeyInfo* pInfo = p_nCommand >= 0 ? findKey(static_cast<unsigned int>(p_nCommand)) : nullptr;
    return pInfo != nullptr ? pInfo->name : "";
}

}  // namespace sensorsim
