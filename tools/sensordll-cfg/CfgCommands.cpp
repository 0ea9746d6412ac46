// show, get, set, check and diff over stored scheme and version files.
//
// Every command but check refuses a file holding a key outside the key table
// (a file of some other format, or garbage that happens to be a whole number
// of records): check lists every problem of such a file instead.
#include "CfgCommands.h"

#include <strings.h>

#include <iostream>
#include <map>
#include <utility>

#include <nlohmann/json.hpp>

#include "CfgCheck.h"
#include "CfgFile.h"
#include "CfgKeys.h"
#include "CfgStyle.h"

namespace sensorcfg {

const char* const PROGRAM = "sensordll-cfg";

namespace {

const char* const VERSION_WORD = "version";

// Values are the controller's signed 32-bit numbers.
int asSigned(u32 p_nValue) { return static_cast<int>(p_nValue); }

std::string recordLine(const KeyVal& p_stRecord) {
    return keyLabel(p_stRecord.key) + " = " + std::to_string(asSigned(p_stRecord.value));
}

std::string versionLine(u32 p_nVersion) { return std::string(VERSION_WORD) + " = " + std::to_string(p_nVersion); }

void fileError(const std::string& p_strPath, const std::string& p_strText) {
    printError(p_strPath + ": " + p_strText);
}

// Reads a file for show, get, set and diff; reports and returns false when it
// cannot be read or holds a key the key table lacks.
bool readKnownFile(const std::string& p_strPath, CfgFile& p_stFile) {
    std::string strError;
    if (!readCfgFile(p_strPath, p_stFile, strError)) {
        fileError(p_strPath, strError);
        return false;
    }
    const long nUnknown = firstUnknownKey(p_stFile);
    if (nUnknown >= 0) {
        fileError(p_strPath, "record " + std::to_string(nUnknown) + " holds " +
                                 keyLabel(p_stFile.records[static_cast<size_t>(nUnknown)].key) +
                                 ", which is not in the key table: not a scheme file (check lists every problem)");
        return false;
    }
    return true;
}

nlohmann::json recordJson(const KeyVal& p_stRecord) {
    const char* szName = keyName(p_stRecord.key);
    return {{"key", p_stRecord.key},
            {"name", szName != nullptr ? nlohmann::json(szName) : nlohmann::json(nullptr)},
            {"value", asSigned(p_stRecord.value)}};
}

// What show and get print of the chosen records of one file (every record
// when p_pKeys is null), as text lines or JSON array elements.
void emit(const CfgFile& p_stFile, const std::vector<u32>* p_pKeys, const Invocation& p_stCall, bool p_bNameFile,
          nlohmann::json& p_objJson) {
    std::vector<KeyVal> vecChosen;
    if (p_pKeys == nullptr) {
        vecChosen = p_stFile.records;
    } else {
        for (u32 nKey : *p_pKeys)
            for (const KeyVal& stRecord : p_stFile.records)
                if (stRecord.key == nKey) vecChosen.push_back(stRecord);
    }
    if (p_stCall.bJson) {
        std::vector<nlohmann::json> vecItems;
        if (p_stFile.kind == FileKind::Version) vecItems.push_back({{VERSION_WORD, p_stFile.version}});
        for (const KeyVal& stRecord : vecChosen) vecItems.push_back(recordJson(stRecord));
        for (nlohmann::json& objItem : vecItems) {
            if (p_bNameFile) objItem["file"] = p_stFile.path;
            p_objJson.push_back(objItem);
        }
        return;
    }
    if (p_stFile.kind == FileKind::Version)
        std::cout << (p_stCall.bValuesOnly ? std::to_string(p_stFile.version) : versionLine(p_stFile.version))
                  << '\n';
    for (const KeyVal& stRecord : vecChosen)
        std::cout << (p_stCall.bValuesOnly ? std::to_string(asSigned(stRecord.value)) : recordLine(stRecord)) << '\n';
}

void printJson(const nlohmann::json& p_objJson) { std::cout << p_objJson.dump() << '\n'; }

bool isVersionWord(const std::string& p_strText) { return strcasecmp(p_strText.c_str(), VERSION_WORD) == 0; }

// A key operand of get or set on p_stFile; reports a bad one (usage).
bool keyOperand(const CfgFile& p_stFile, const std::string& p_strText, u32& p_nKey) {
    if (p_stFile.kind == FileKind::Version) {
        if (isVersionWord(p_strText)) return true;
        printError("'" + p_strText + "': a version file holds only its version");
        return false;
    }
    if (parseKey(p_strText, p_nKey)) return true;
    printError("'" + p_strText + "' is not a key of the key table (give its number or its name)");
    return false;
}

bool holdsKey(const CfgFile& p_stFile, u32 p_nKey) {
    for (const KeyVal& stRecord : p_stFile.records)
        if (stRecord.key == p_nKey) return true;
    return false;
}

}  // namespace

void printError(const std::string& p_strText) { std::cerr << PROGRAM << ": " << p_strText << '\n'; }

int runShow(const Invocation& p_stCall) {
    const bool bSeveral = p_stCall.operands.size() > 1;
    nlohmann::json objJson = nlohmann::json::array();
    int nStatus = EXIT_CLEAN;
    bool bFirst = true;
    for (const std::string& strPath : p_stCall.operands) {
        CfgFile stFile;
        if (!readKnownFile(strPath, stFile)) {
            nStatus = EXIT_FAILED;
            continue;
        }
        if (bSeveral && !p_stCall.bJson) std::cout << (bFirst ? "" : "\n") << "==> " << strPath << " <==\n";
        bFirst = false;
        emit(stFile, nullptr, p_stCall, bSeveral, objJson);
    }
    if (p_stCall.bJson) printJson(objJson);
    return nStatus;
}

int runGet(const Invocation& p_stCall) {
    CfgFile stFile;
    if (!readKnownFile(p_stCall.operands[0], stFile)) return EXIT_FAILED;
    std::vector<u32> vecKeys;
    for (size_t i = 1; i < p_stCall.operands.size(); ++i) {
        u32 nKey = 0;
        if (!keyOperand(stFile, p_stCall.operands[i], nKey)) return EXIT_USAGE;
        vecKeys.push_back(nKey);
    }
    int nStatus = EXIT_CLEAN;
    for (u32 nKey : vecKeys) {
        if (stFile.kind == FileKind::Scheme && !holdsKey(stFile, nKey)) {
            fileError(stFile.path, "no record of " + keyLabel(nKey));
            nStatus = EXIT_FAILED;
        }
    }
    nlohmann::json objJson = nlohmann::json::array();
    emit(stFile, &vecKeys, p_stCall, false, objJson);
    if (p_stCall.bJson) printJson(objJson);
    return nStatus;
}

// Every assignment is checked, and every key found in the file, before the
// file is replaced: a refused set writes nothing.
int runSet(const Invocation& p_stCall) {
    CfgFile stFile;
    if (!readKnownFile(p_stCall.operands[0], stFile)) return EXIT_FAILED;
    std::vector<std::pair<u32, u32>> vecAssignments;
    for (size_t i = 1; i < p_stCall.operands.size(); ++i) {
        const std::string& strOperand = p_stCall.operands[i];
        const size_t nEquals = strOperand.find('=');
        u32 nKey = 0;
        u32 nValue = 0;
        if (nEquals == std::string::npos) {
            printError("'" + strOperand + "': give KEY=VALUE");
            return EXIT_USAGE;
        }
        if (!keyOperand(stFile, strOperand.substr(0, nEquals), nKey)) return EXIT_USAGE;
        if (!parseValue(strOperand.substr(nEquals + 1), nValue)) {
            printError("'" + strOperand + "': the value is not a 32-bit number");
            return EXIT_USAGE;
        }
        vecAssignments.emplace_back(nKey, nValue);
    }

    CfgFile stNew = stFile;
    std::vector<std::string> vecChanges;
    bool bRefused = false;
    for (const auto& stAssignment : vecAssignments) {
        const u32 nKey = stAssignment.first;
        const u32 nValue = stAssignment.second;
        if (stNew.kind == FileKind::Version) {
            vecChanges.push_back(std::string(VERSION_WORD) + ": " + std::to_string(stNew.version) + " -> " +
                                 std::to_string(nValue));
            stNew.version = nValue;
            continue;
        }
        if (!holdsKey(stNew, nKey)) {
            fileError(stNew.path, "no record of " + keyLabel(nKey) + "; set changes records, it adds none");
            bRefused = true;
            continue;
        }
        for (KeyVal& stRecord : stNew.records) {
            if (stRecord.key != nKey) continue;
            vecChanges.push_back(keyLabel(nKey) + ": " + std::to_string(asSigned(stRecord.value)) + " -> " +
                                 std::to_string(asSigned(nValue)));
            stRecord.value = nValue;
        }
    }
    if (bRefused) {
        fileError(stNew.path, "nothing written");
        return EXIT_FAILED;
    }
    const std::string strBytes = encodeCfg(stNew);
    std::string strError;
    // Equal content is not rewritten: the flash is spared a write.
    if (strBytes != encodeCfg(stFile) && !replaceCfgFile(stNew.path, strBytes, strError)) {
        fileError(stNew.path, strError);
        return EXIT_FAILED;
    }
    for (const std::string& strLine : vecChanges) std::cout << strLine << '\n';
    return EXIT_CLEAN;
}

int runCheck(const Invocation& p_stCall) {
    StyleKeys stStyle;
    const bool bStyle = !p_stCall.strStyle.empty();
    std::string strError;
    if (bStyle && !readStyleKeys(p_stCall.strStyle, stStyle, strError)) {
        printError(p_stCall.strStyle + ": " + strError);
        return EXIT_USAGE;
    }
    int nStatus = EXIT_CLEAN;
    for (const std::string& strPath : p_stCall.operands) {
        CfgFile stFile;
        std::vector<std::string> vecProblems;
        if (!readCfgFile(strPath, stFile, strError))
            vecProblems.push_back(strError);
        else
            vecProblems = checkRecords(stFile, bStyle ? &stStyle : nullptr);
        for (const std::string& strProblem : vecProblems) std::cout << strPath << ": " << strProblem << '\n';
        if (!vecProblems.empty()) {
            nStatus = EXIT_FAILED;
        } else if (stFile.kind == FileKind::Version) {
            std::cout << strPath << ": ok, version " << stFile.version << '\n';
        } else {
            std::cout << strPath << ": ok, " << stFile.records.size() << " records\n";
        }
    }
    return nStatus;
}

// Records are paired by key and, for a key stored more than once, by its
// occurrence: the n-th record of a key in one file with the n-th in the
// other, as the controller reads a stored file into its scheme.
int runDiff(const Invocation& p_stCall) {
    CfgFile stOld;
    CfgFile stNew;
    if (!readKnownFile(p_stCall.operands[0], stOld) || !readKnownFile(p_stCall.operands[1], stNew)) return EXIT_USAGE;
    if (stOld.kind != stNew.kind) {
        printError(stOld.path + ", " + stNew.path + ": a scheme file and a version file do not compare");
        return EXIT_USAGE;
    }
    bool bDiffer = false;
    if (stOld.kind == FileKind::Version) {
        bDiffer = stOld.version != stNew.version;
        if (bDiffer) std::cout << VERSION_WORD << ": " << stOld.version << " -> " << stNew.version << '\n';
        return bDiffer ? EXIT_FAILED : EXIT_CLEAN;
    }
    using Occurrence = std::pair<u32, int>;
    auto index = [](const CfgFile& p_stFile) {
        std::map<Occurrence, u32> mapValues;
        std::map<u32, int> mapSeen;
        for (const KeyVal& stRecord : p_stFile.records)
            mapValues[Occurrence(stRecord.key, mapSeen[stRecord.key]++)] = stRecord.value;
        return mapValues;
    };
    const std::map<Occurrence, u32> mapOld = index(stOld);
    const std::map<Occurrence, u32> mapNew = index(stNew);
    std::map<u32, int> mapSeen;
    std::vector<std::string> vecOnly;
    for (const KeyVal& stRecord : stOld.records) {
        const auto itNew = mapNew.find(Occurrence(stRecord.key, mapSeen[stRecord.key]++));
        if (itNew == mapNew.end()) {
            vecOnly.push_back(keyLabel(stRecord.key) + ": only in " + stOld.path + " (= " +
                              std::to_string(asSigned(stRecord.value)) + ")");
        } else if (itNew->second != stRecord.value) {
            std::cout << keyLabel(stRecord.key) << ": " << asSigned(stRecord.value) << " -> "
                      << asSigned(itNew->second) << '\n';
            bDiffer = true;
        }
    }
    mapSeen.clear();
    for (const KeyVal& stRecord : stNew.records)
        if (mapOld.count(Occurrence(stRecord.key, mapSeen[stRecord.key]++)) == 0)
            vecOnly.push_back(keyLabel(stRecord.key) + ": only in " + stNew.path + " (= " +
                              std::to_string(asSigned(stRecord.value)) + ")");
    for (const std::string& strLine : vecOnly) std::cout << strLine << '\n';
    return bDiffer || !vecOnly.empty() ? EXIT_FAILED : EXIT_CLEAN;
}

}  // namespace sensorcfg
