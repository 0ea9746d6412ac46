// The key set of the factory set that a merged style defines.
#ifndef SENSORDLL_CFG_STYLE_H
#define SENSORDLL_CFG_STYLE_H

#include <set>
#include <string>

#include "SensorTypes.h"

namespace sensorcfg {

struct StyleKeys {
    std::set<u32> keys;      // every key the factory set holds
    std::set<u32> optional;  // keys of that set that the controller may drop
};

// Reads the merged style at p_strPath: the factory set is a record for every
// element carrying both "id" and "value", in a walk over the whole tree.
// False with the reason when the file does not load or defines no record.
bool readStyleKeys(const std::string& p_strPath, StyleKeys& p_stKeys, std::string& p_strError);

}  // namespace sensorcfg

#endif
