// The key-command map: the key table expanded into rows, the map init builds
// from them, and the search the apply step uses.
#include "core/KeyTable.h"

#include <stdio.h>
#include <string.h>

#include "ia_ioctrl.h"
#include "diag/SensorReport.h"

namespace sensorkeys {
namespace {

#define SENSOR_KEY_ROW(name, key, command, handler) \
    {key, command, &ISensorController::handler, #name, "&ISensorController::" #handler},
#define SENSOR_KEY_STORED(name, key) {key, 0, nullptr, #name, "NULL"},
const KeyRow TABLE_ROWS[] = {SENSOR_KEY_TABLE(SENSOR_KEY_ROW, SENSOR_KEY_STORED, SENSOR_KEY_ROW)};
#undef SENSOR_KEY_ROW
#undef SENSOR_KEY_STORED

const u32 TABLE_ROW_COUNT = sizeof(TABLE_ROWS) / sizeof(TABLE_ROWS[0]);
static_assert(sizeof(TABLE_ROWS) / sizeof(TABLE_ROWS[0]) == 165, "the key-command map has 165 rows");

// A row named after an ISP command must carry that command's number as key.
#define SENSOR_KEY_IGNORE(...)
#define SENSOR_KEY_CHECK_ISP_NAME(name, key, command, handler) \
    static_assert(static_cast<u32>(name) == key, #name " is the ISP command's own number");
SENSOR_KEY_TABLE(SENSOR_KEY_IGNORE, SENSOR_KEY_IGNORE, SENSOR_KEY_CHECK_ISP_NAME)
#undef SENSOR_KEY_CHECK_ISP_NAME
#undef SENSOR_KEY_IGNORE

// Keys of the vocabulary that have no row: they exist only in the scheme
// arrays, as the intelligent twins of the medium and far light strengths.
struct MaplessKey {
    u32 key;
    const char* name;
};
#define SENSOR_KEY_SKIP(...)
#define SENSOR_MAPLESS_KEY(name, key, plain) {key, #name},
const MaplessKey MAPLESS_KEYS[] = {
    SENSOR_KEY_VOCABULARY(SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_MAPLESS_KEY)};
#undef SENSOR_MAPLESS_KEY

// Every key of the vocabulary once: no two rows, nor a row and a map-less
// key, may share a number, or the map search and the scheme arrays would
// confuse them.
#define SENSOR_KEY_NUMBER(name, key, ...) key,
constexpr u32 ALL_KEYS[] = {
    SENSOR_KEY_VOCABULARY(SENSOR_KEY_NUMBER, SENSOR_KEY_NUMBER, SENSOR_KEY_NUMBER, SENSOR_KEY_SKIP, SENSOR_KEY_NUMBER)};
#undef SENSOR_KEY_NUMBER
constexpr u32 ALL_KEY_SUM = sizeof(ALL_KEYS) / sizeof(ALL_KEYS[0]);

constexpr bool noKeyTwice() {
    for (u32 i = 0; i < ALL_KEY_SUM; ++i)
        for (u32 j = i + 1; j < ALL_KEY_SUM; ++j)
            if (ALL_KEYS[i] == ALL_KEYS[j]) return false;
    return true;
}
static_assert(ALL_KEY_SUM == 169, "165 rows and 4 map-less keys");
static_assert(noKeyTwice(), "a key appears twice in the key table");

// The plain key of every intelligent twin is a row of the map.
constexpr bool isKeyOfRow(u32 p_nKey) {
    for (const KeyCommand& stRow : ROW_COMMANDS)
        if (stRow.key == p_nKey) return true;
    return false;
}
#define SENSOR_TWIN_CHECK(twin, plain) \
    static_assert(isKeyOfRow(plain) && isKeyOfRow(twin), #twin " and " #plain " are rows of the map");
#define SENSOR_MAPLESS_CHECK(name, key, plain) static_assert(isKeyOfRow(plain), #plain " is a row of the map");
SENSOR_KEY_VOCABULARY(SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_KEY_SKIP, SENSOR_TWIN_CHECK, SENSOR_MAPLESS_CHECK)
#undef SENSOR_TWIN_CHECK
#undef SENSOR_MAPLESS_CHECK
#undef SENSOR_KEY_SKIP

}  // namespace

const KeyRow* keyRows() { return TABLE_ROWS; }

u32 keyRowCount() { return TABLE_ROW_COUNT; }

const KeyRow* findKeyRow(u32 p_nKey) {
    for (const KeyRow& stRow : TABLE_ROWS) {
        if (stRow.key == p_nKey) return &stRow;
    }
    return nullptr;
}

const char* keyNameOf(u32 p_nKey) {
    if (const KeyRow* pRow = findKeyRow(p_nKey)) return pRow->name;
    for (const MaplessKey& stKey : MAPLESS_KEYS) {
        if (stKey.key == p_nKey) return stKey.name;
    }
    return nullptr;
}

bool keyByName(const char* p_szName, u32& p_nKey) {
    if (p_szName == nullptr) return false;
    for (const KeyRow& stRow : TABLE_ROWS) {
        if (strcmp(stRow.name, p_szName) == 0) {
            p_nKey = stRow.key;
            return true;
        }
    }
    for (const MaplessKey& stKey : MAPLESS_KEYS) {
        if (strcmp(stKey.name, p_szName) == 0) {
            p_nKey = stKey.key;
            return true;
        }
    }
    return false;
}

}  // namespace sensorkeys

// Allocates room for m_nKeyCmdSum rows (170 at the first start, 165 after a
// restart), clears it and fills the table's rows in order; names longer than
// the key-name field keep their first 31 characters.
void ISensorController::buildKeyCmdMap() {
    const u32 nRows = sensorkeys::keyRowCount();
    // Never fewer rows than the table, whatever the count was left at.
    const u32 nCapacity = m_nKeyCmdSum < nRows ? nRows : m_nKeyCmdSum;
    delete[] m_pKeyCmdMap;
    m_pKeyCmdMap = new keycmd[nCapacity];
    memset(m_pKeyCmdMap, 0, nCapacity * sizeof(keycmd));
    const sensorkeys::KeyRow* pRows = sensorkeys::keyRows();
    for (u32 i = 0; i < nRows; ++i) {
        keycmd& stRow = m_pKeyCmdMap[i];
        stRow.key = pRows[i].key;
        stRow.ia_cmd = pRows[i].command;
        stRow.func = pRows[i].handler;
        strncpy(stRow.key_name, pRows[i].name, sizeof(stRow.key_name) - 1);
        snprintf(stRow.func_name, sizeof(stRow.func_name), "%s", pRows[i].handlerName);
    }
    m_nKeyCmdSum = nRows;
}

int ISensorController::findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd) {
    if (p_pKeyCmdMap != nullptr) {
        for (u32 i = 0; i < m_nKeyCmdSum; ++i) {
            const keycmd& stRow = p_pKeyCmdMap[i];
            if (stRow.key != p_nKey) continue;
            // A plain copy of the fixed-size row; formatting the two names on
            // every applied record cost more than the rest of the search.
            p_stKeyCmd = stRow;
            p_stKeyCmd.key_name[sizeof(p_stKeyCmd.key_name) - 1] = '\0';
            p_stKeyCmd.func_name[sizeof(p_stKeyCmd.func_name) - 1] = '\0';
            return static_cast<int>(i);
        }
    }
    SENSOR_PRINT(0, 0, "cand not find key-cmd while key=%d\n", static_cast<int>(p_nKey));
    return -1;
}
