// Commands on parameters: set and get by key, key/value texts, id lists, the
// whole scheme, the key table, ranges and restoring stored values.
#include <cctype>
#include <cstdio>
#include <utility>

#include "Commands.h"
#include "Output.h"
#include "Results.h"
#include "StyleInfo.h"
#include "Values.h"

namespace sensorsim {

namespace {

std::string joined(const Args& p_vecArgs) {
    std::string strText;
    for (const std::string& strArg : p_vecArgs) strText += strArg;
    return strText;
}

std::string trimmed(const std::string& p_strText) {
    const size_t nFirst = p_strText.find_first_not_of(" \t");
    if (nFirst == std::string::npos) return "";
    return p_strText.substr(nFirst, p_strText.find_last_not_of(" \t") - nFirst + 1);
}

// Items of a key/value text; keys may be given by name. Anything but items
// is refused, since the library would skip it without a word.
std::vector<std::pair<unsigned int, int>> readKeyValText(const std::string& p_strText) {
    std::vector<std::pair<unsigned int, int>> vecItems;
    size_t nPos = 0;
    while (nPos < p_strText.size()) {
        if (p_strText[nPos] != '(')
            throw InputError("key/value text '" + p_strText + "': expected '(' at character " +
                             std::to_string(nPos + 1));
        const size_t nClose = p_strText.find(')', nPos);
        const size_t nComma = p_strText.find(',', nPos);
        if (nClose == std::string::npos || nComma == std::string::npos || nComma > nClose)
            throw InputError("key/value text '" + p_strText + "': item " + std::to_string(vecItems.size() + 1) +
                             " is not (key,value)");
        const KeyInfo& stKey = parseKey(trimmed(p_strText.substr(nPos + 1, nComma - nPos - 1)));
        const int nValue = parseValue(trimmed(p_strText.substr(nComma + 1, nClose - nComma - 1)), "value");
        vecItems.emplace_back(stKey.key, nValue);
        nPos = nClose + 1;
    }
    if (vecItems.empty()) throw InputError("the key/value text is empty");
    return vecItems;
}

// The keys of an id list "(34,2337)" or of separate words.
std::vector<unsigned int> readKeys(const Args& p_vecArgs) {
    std::vector<std::string> vecWords;
    const std::string strText = joined(p_vecArgs);
    if (!strText.empty() && strText[0] == '(') {
        if (strText.back() != ')' || strText.find(')') != strText.size() - 1 || strText.size() < 3)
            throw InputError("id list '" + strText + "' is not (key,key,...)");
        std::string strItem;
        for (size_t i = 1; i + 1 < strText.size(); ++i) {
            if (strText[i] == ',') {
                vecWords.push_back(strItem);
                strItem.clear();
            } else {
                strItem += strText[i];
            }
        }
        vecWords.push_back(strItem);
    } else {
        vecWords = p_vecArgs;
    }
    std::vector<unsigned int> vecKeys;
    for (const std::string& strWord : vecWords) vecKeys.push_back(parseKey(trimmed(strWord)).key);
    return vecKeys;
}

std::vector<std::pair<long long, long long>> itemsOf(const std::string& p_strText) {
    std::vector<std::pair<long long, long long>> vecItems;
    size_t nPos = 0;
    while ((nPos = p_strText.find('(', nPos)) != std::string::npos) {
        long long nKey = 0;
        long long nValue = 0;
        if (std::sscanf(p_strText.c_str() + nPos, "(%lld,%lld)", &nKey, &nValue) == 2)
            vecItems.emplace_back(nKey, nValue);
        ++nPos;
    }
    return vecItems;
}

// A key's fields in a JSON answer.
void keyFields(unsigned int p_nKey) {
    const KeyInfo* pKey = findKey(p_nKey);
    out::field("key", static_cast<long long>(p_nKey));
    out::field("name", pKey != nullptr ? pKey->name : "");
}

void printItems(const std::vector<std::pair<long long, long long>>& p_vecItems) {
    for (const auto& item : p_vecItems) {
        out::linef("  %-44s = %lld", keyLabel(static_cast<unsigned int>(item.first)).c_str(), item.second);
        out::item();
        keyFields(static_cast<unsigned int>(item.first));
        out::field("value", item.second);
    }
}

// "Brightness (slider): min=0 max=100 default=50", what the style offers.
std::string describeStyleParam(const StyleParams& p_mapStyle, unsigned int p_nKey) {
    const auto it = p_mapStyle.find(p_nKey);
    if (it == p_mapStyle.end()) return "not in the style";
    const StyleParam& stParam = it->second;
    std::string strText = stParam.title.empty() ? "(no title)" : stParam.title;
    if (!stParam.type.empty()) strText += " (" + stParam.type + ")";
    const std::string strAllowed = describeAllowed(stParam);
    if (!strAllowed.empty() || stParam.hasDefault) strText += ":";
    if (!strAllowed.empty()) strText += " " + strAllowed;
    if (stParam.hasDefault) strText += " default=" + std::to_string(stParam.defaultValue);
    return strText;
}

void styleFields(const StyleParams& p_mapStyle, unsigned int p_nKey) {
    const auto it = p_mapStyle.find(p_nKey);
    if (it == p_mapStyle.end()) return;
    const StyleParam& stParam = it->second;
    out::field("title", stParam.title);
    out::field("type", stParam.type);
    if (stParam.hasDefault) out::field("default", stParam.defaultValue);
    if (stParam.hasRange) {
        out::field("min", stParam.min);
        out::field("max", stParam.max);
    }
    if (!stParam.options.empty()) out::fieldOptions("options", stParam.options);
}

}  // namespace

bool runSet(Session& p_objSession, const Args& p_vecArgs) {
    const KeyInfo& stKey = parseKey(p_vecArgs[0]);
    const int nValue = parseValue(p_vecArgs[1], "value");
    bool bSave = true;
    if (p_vecArgs.size() == 3) {
        if (p_vecArgs[2] != "nosave") throw InputError("expected 'nosave', not '" + p_vecArgs[2] + "'");
        bSave = false;
    }
    // What the UI offers for the key; the library itself refuses no value
    // outside it, so the user hears of it here.
    const StyleParams mapStyle = queryStyleParams(p_objSession);
    const int nStatus = p_objSession.controller().setParameter(static_cast<int>(stKey.key), nValue, bSave);
    out::linef("%s set %s = %d%s: %s", p_objSession.tag().c_str(), keyLabel(stKey.key).c_str(), nValue,
               bSave ? "" : " (not kept in the scheme)", applyResult(nStatus).c_str());
    keyFields(stKey.key);
    out::field("value", nValue);
    out::fieldFlag("save", bSave);
    out::field("result", nStatus);
    const auto it = mapStyle.find(stKey.key);
    const std::string strOutside = it != mapStyle.end() ? outsideAllowed(it->second, nValue) : "";
    if (!strOutside.empty())
        out::warning(p_objSession.tag() + " " + keyLabel(stKey.key) + " = " + std::to_string(nValue) + " is " +
                     strOutside + " of the channel's style" +
                     (it->second.title.empty() ? "" : " (" + it->second.title + ")") +
                     "; the library does not refuse it");
    return nStatus == 0;
}

bool runGet(Session& p_objSession, const Args& p_vecArgs) {
    // -n: each value alone on its line, for scripts.
    const bool bBare = p_vecArgs[0] == "-n";
    if (bBare && p_vecArgs.size() == 1) throw InputError("usage: get [-n] KEY...");
    std::vector<unsigned int> vecKeys;
    for (size_t i = bBare ? 1 : 0; i < p_vecArgs.size(); ++i) vecKeys.push_back(parseKey(p_vecArgs[i]).key);
    bool bAll = true;
    for (unsigned int nKey : vecKeys) {
        int nValue = 0;
        const bool bRead = p_objSession.controller().getParameter(static_cast<int>(nKey), nValue);
        const std::string strUnread = p_objSession.tag() + " " + keyLabel(nKey) +
                                      ": not readable (not in the current scheme, and the ISP did not answer)";
        if (bRead && bBare)
            out::bare(std::to_string(nValue));
        else if (bRead)
            out::linef("%s %s = %d", p_objSession.tag().c_str(), keyLabel(nKey).c_str(), nValue);
        else if (bBare && !out::json())
            out::error("", strUnread);
        else
            out::line(strUnread);
        bAll = bAll && bRead;
        // JSON: every key an item; a single key's fields also at the top.
        for (int nLevel = vecKeys.size() == 1 ? 0 : 1; nLevel < 2; ++nLevel) {
            if (nLevel == 1) out::item();
            keyFields(nKey);
            if (bRead) out::field("value", nValue);
            out::fieldFlag("readable", bRead);
        }
    }
    return bAll;
}

bool runSetText(Session& p_objSession, const Args& p_vecArgs) {
    const auto vecItems = readKeyValText(joined(p_vecArgs));
    std::string strText;
    for (const auto& item : vecItems)
        strText += "(" + std::to_string(item.first) + "," + std::to_string(item.second) + ")";
    const int nStatus = p_objSession.controller().setParameters(strText, true);
    out::linef("%s set %s: %s", p_objSession.tag().c_str(), strText.c_str(), applyResult(nStatus).c_str());
    out::field("result", nStatus);
    for (const auto& item : vecItems) {
        out::linef("  %-44s = %d", keyLabel(item.first).c_str(), item.second);
        out::item();
        keyFields(item.first);
        out::field("value", item.second);
    }
    return nStatus == 0;
}

bool runIds(Session& p_objSession, const Args& p_vecArgs) {
    const std::vector<unsigned int> vecKeys = readKeys(p_vecArgs);
    std::string strIds = "(";
    for (size_t i = 0; i < vecKeys.size(); ++i) strIds += (i == 0 ? "" : ",") + std::to_string(vecKeys[i]);
    strIds += ")";
    std::string strAnswer;
    if (!p_objSession.controller().getParameters(strIds, strAnswer)) {
        out::linef("%s read %s: failed (the controller refused the id list)", p_objSession.tag().c_str(),
                   strIds.c_str());
        return false;
    }
    const auto vecItems = itemsOf(strAnswer);
    out::linef("%s read %s: %s", p_objSession.tag().c_str(), strIds.c_str(),
               strAnswer.empty() ? "(nothing)" : strAnswer.c_str());
    printItems(vecItems);
    bool bAll = true;
    for (unsigned int nKey : vecKeys) {
        bool bFound = false;
        for (const auto& item : vecItems) bFound = bFound || item.first == static_cast<long long>(nKey);
        if (!bFound) {
            out::linef("  %-44s : not readable, left out", keyLabel(nKey).c_str());
            bAll = false;
        }
    }
    return bAll;
}

bool runAll(Session& p_objSession, const Args& p_vecArgs) {
    const bool bRaw = !p_vecArgs.empty();
    if (bRaw && p_vecArgs[0] != "raw") throw InputError("expected 'raw', not '" + p_vecArgs[0] + "'");
    std::string strText;
    p_objSession.controller().getAllParameters(strText);
    int nScheme = -1;
    p_objSession.controller().getParamScheme(nScheme);
    const auto vecItems = itemsOf(strText);
    out::linef("%s scheme %d: %zu parameters", p_objSession.tag().c_str(), nScheme, vecItems.size());
    out::field("scheme", nScheme);
    if (bRaw)
        out::line(strText);
    else
        printItems(vecItems);
    return true;
}

bool runKeys(Session& p_objSession, const Args& p_vecArgs) {
    std::string strFilter;
    if (!p_vecArgs.empty())
        for (char c : p_vecArgs[0]) strFilter += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const StyleParams mapStyle = queryStyleParams(p_objSession);
    size_t nShown = 0;
    for (const KeyInfo& stKey : allKeys()) {
        if (!strFilter.empty() && std::string(stKey.name).find(strFilter) == std::string::npos) continue;
        const std::string strAction = stKey.handler[0] == '\0'
                                          ? std::string("stored only")
                                          : "ISP command " + std::to_string(stKey.command) + ", " + stKey.handler;
        out::linef("  %6u  %-40s %-36s %s", stKey.key, stKey.name, strAction.c_str(),
                   describeStyleParam(mapStyle, stKey.key).c_str());
        out::item();
        keyFields(stKey.key);
        out::field("command", static_cast<long long>(stKey.command));
        out::field("handler", stKey.handler);
        styleFields(mapStyle, stKey.key);
        ++nShown;
    }
    out::linef("%zu %s (%s: title (type): range or options, default in its UI style)", nShown,
               nShown == 1 ? "key" : "keys", p_objSession.tag().c_str());
    return true;
}

bool runRange(Session& p_objSession, const Args& p_vecArgs) {
    const KeyInfo& stKey = parseKey(p_vecArgs[0]);
    int nDefault = 0;
    std::string strRange;
    if (!p_objSession.controller().getSensorParamRange(static_cast<int>(stKey.key), nDefault, strRange)) {
        out::linef("%s %s: no range (not a range key, or the ISP does not list it)", p_objSession.tag().c_str(),
                   keyLabel(stKey.key).c_str());
        return false;
    }
    keyFields(stKey.key);
    out::field("default", nDefault);
    out::field("range", strRange);
    if (strRange.empty())
        out::linef("%s %s: the ISP gives a min/max range, not a list of values", p_objSession.tag().c_str(),
                   keyLabel(stKey.key).c_str());
    else
        out::linef("%s %s: default %d, allowed %s", p_objSession.tag().c_str(), keyLabel(stKey.key).c_str(), nDefault,
                   strRange.c_str());
    return true;
}

bool runRestore(Session& p_objSession, const Args& p_vecArgs) {
    if (p_vecArgs[0] == "ae") {
        const bool bOk = p_objSession.controller().restoreAeMode();
        out::linef("%s restore the exposure and focus modes: %s", p_objSession.tag().c_str(),
                   doneOrFailed(bOk).c_str());
        return bOk;
    }
    const KeyInfo& stKey = parseKey(p_vecArgs[0]);
    const int nStatus = p_objSession.controller().restore(static_cast<int>(stKey.key));
    if (nStatus == -1) {
        out::linef("%s restore %s: failed (the current scheme has no such key)", p_objSession.tag().c_str(),
                   keyLabel(stKey.key).c_str());
        return false;
    }
    out::linef("%s restore %s: %s", p_objSession.tag().c_str(), keyLabel(stKey.key).c_str(),
               applyResult(nStatus).c_str());
    return nStatus == 0;
}

}  // namespace sensorsim
