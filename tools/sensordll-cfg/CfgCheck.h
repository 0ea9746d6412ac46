// The checks of a stored file that sensordll-cfg check makes.
#ifndef SENSORDLL_CFG_CHECK_H
#define SENSORDLL_CFG_CHECK_H

#include <string>
#include <vector>

#include "CfgFile.h"
#include "CfgStyle.h"

namespace sensorcfg {

// The problems of a decoded file, one line each, without the file's name: a
// key stored twice, a key outside the key table, records that do not begin
// with the five scheme keys in their order, and, given the factory key set of
// a style, every key of that set the file lacks and every key it holds
// beyond it. Empty for a clean file; a version file has none.
std::vector<std::string> checkRecords(const CfgFile& p_stFile, const StyleKeys* p_pStyle);

}  // namespace sensorcfg

#endif
