// The key table as data, for the library's own use, the simulator and the
// tests: one row per key of the key-command map, in map order, expanded from
// the single list in SensorKeyTable.h. Not exported.
#ifndef SENSORDLL_CORE_KEY_TABLE_H
#define SENSORDLL_CORE_KEY_TABLE_H

#include "ISensorController.h"
#include "SensorTypes.h"

namespace sensorkeys {

struct KeyRow {
    u32 key;
    u32 command;
    SensorKeyHandler handler;  // null in a row without a handler
    const char* name;          // the full name; the map keeps its first 31 characters
    const char* handlerName;   // "&ISensorController::<handler>", or "NULL"
};

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
