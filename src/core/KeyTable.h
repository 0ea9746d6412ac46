// The key table as data, for the library's own use, the simulator and the
// tests: one row per key of the key-command map, in map order, expanded from
// the single list in SensorKeyTable.h. Not exported.
#ifndef SENSORDLL_CORE_KEY_TABLE_H
#define SENSORDLL_CORE_KEY_TABLE_H

#include "ISensorController.h"
#include "SensorTypes.h"
#include "SensorKeyTable.h"

namespace sensorkeys {

struct KeyRow {
    u32 key;
    u32 command;
    SensorKeyHandler handler;  // null in a row without a handler
    const char* name;          // the full name; the map keeps its first 31 characters
    const char* handlerName;   // "&ISensorController::<handler>", or "NULL"
};

// Each row's key and command, for constant expressions.
struct KeyCommand {
    u32 key;
    u32 command;
};
#define SENSOR_KEY_COMMAND_ROW(name, key, command, handler) {key, command},
#define SENSOR_KEY_COMMAND_STORED(name, key) {key, 0},
constexpr KeyCommand ROW_COMMANDS[] = {
    SENSOR_KEY_TABLE(SENSOR_KEY_COMMAND_ROW, SENSOR_KEY_COMMAND_STORED, SENSOR_KEY_COMMAND_ROW)};
#undef SENSOR_KEY_COMMAND_ROW
#undef SENSOR_KEY_COMMAND_STORED

// The ISP command of a key's row (0 for a stored row), so that code sending a
// row's command by hand takes it from the table instead of restating it; 0
// for a key without a row.
constexpr u32 commandOfKey(u32 p_nKey) {
    for (const KeyCommand& stRow : ROW_COMMANDS)
        if (stRow.key == p_nKey) return stRow.command;
    return 0;
}

// The rows in map order, and their number (165).
const KeyRow* keyRows();
u32 keyRowCount();

// The row of a key; nullptr when the key has no row.
const KeyRow* findKeyRow(u32 p_nKey);

// Full name of a key, the map-less intelligent-light twins (201, 202, 204,
// 205) included; nullptr for a key the vocabulary does not have.
const char* keyNameOf(u32 p_nKey);

// The key of a full name (as keyNameOf gives it); false when no key has it.
bool keyByName(const char* p_szName, u32& p_nKey);

}  // namespace sensorkeys

#endif
