// The checks of sensordll-cfg check.
#include "CfgCheck.h"

#include <map>

#include "CfgKeys.h"
#include "SensorKeys.h"

namespace sensorcfg {

namespace {

// Records 0 to 4 of every scheme: the schedule window is read by position.
const u32 SCHEME_KEYS[] = {KEY_SCHEME_MODE, KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR,
                           KEY_SCHEME_END_MIN};

std::string recordLabel(size_t p_nIndex) { return "record " + std::to_string(p_nIndex); }

}  // namespace

std::vector<std::string> checkRecords(const CfgFile& p_stFile, const StyleKeys* p_pStyle) {
    std::vector<std::string> vecProblems;
    if (p_stFile.kind != FileKind::Scheme) return vecProblems;
    const std::vector<KeyVal>& vecRecords = p_stFile.records;

    std::map<u32, size_t> mapFirst;
    for (size_t i = 0; i < vecRecords.size(); ++i) {
        const u32 nKey = vecRecords[i].key;
        if (keyName(nKey) == nullptr)
            vecProblems.push_back(recordLabel(i) + ": " + keyLabel(nKey) + " is not in the key table");
        const auto itFirst = mapFirst.find(nKey);
        if (itFirst != mapFirst.end())
            vecProblems.push_back(recordLabel(i) + ": " + keyLabel(nKey) + " again, first at " +
                                  recordLabel(itFirst->second));
        else
            mapFirst[nKey] = i;
    }

    for (size_t i = 0; i < sizeof(SCHEME_KEYS) / sizeof(SCHEME_KEYS[0]); ++i) {
        if (i < vecRecords.size() && vecRecords[i].key == SCHEME_KEYS[i]) continue;
        vecProblems.push_back(recordLabel(i) + " is " +
                              (i < vecRecords.size() ? keyLabel(vecRecords[i].key) : std::string("missing")) +
                              ", not " + keyLabel(SCHEME_KEYS[i]) + ": the five scheme keys come first");
        break;
    }

    if (p_pStyle != nullptr) {
        for (u32 nKey : p_pStyle->keys)
            if (mapFirst.count(nKey) == 0 && p_pStyle->optional.count(nKey) == 0)
                vecProblems.push_back(keyLabel(nKey) + " is in the style's factory set, not in the file");
        for (const auto& stEntry : mapFirst)
            if (p_pStyle->keys.count(stEntry.first) == 0)
                vecProblems.push_back(recordLabel(stEntry.second) + ": " + keyLabel(stEntry.first) +
                                      " is not in the style's factory set");
    }
    return vecProblems;
}

}  // namespace sensorcfg
