// The factory key set of a merged style, read with TinyXML as the library's
// factory defaults read it: every element with both "id" and "value", the
// number read like atoi and held to the int range.
#include "CfgStyle.h"

#include <limits.h>
#include <stdlib.h>

#include <map>

#include <tinyxml.h>

#include "SensorKeys.h"

namespace sensorcfg {

namespace {

u32 styleNumber(const char* p_szText) {
    long long nValue = strtoll(p_szText, nullptr, 10);
    if (nValue > INT_MAX) nValue = INT_MAX;
    if (nValue < INT_MIN) nValue = INT_MIN;
    return static_cast<u32>(static_cast<int>(nValue));
}

// For each id: how many elements carry it with a value, and whether the last
// element carrying it (with or without a value) is one of them.
struct IdUse {
    int nValued = 0;
    bool bLastValued = false;
};

void collect(const TiXmlElement* p_pElement, std::map<u32, IdUse>& p_mapUse) {
    for (; p_pElement != nullptr; p_pElement = p_pElement->NextSiblingElement()) {
        const char* szId = p_pElement->Attribute("id");
        if (szId != nullptr) {
            IdUse& stUse = p_mapUse[styleNumber(szId)];
            stUse.bLastValued = p_pElement->Attribute("value") != nullptr;
            if (stUse.bLastValued) ++stUse.nValued;
        }
        collect(p_pElement->FirstChildElement(), p_mapUse);
    }
}

}  // namespace

bool readStyleKeys(const std::string& p_strPath, StyleKeys& p_stKeys, std::string& p_strError) {
    TiXmlDocument objDoc;
    if (!objDoc.LoadFile(p_strPath.c_str(), TIXML_ENCODING_UTF8)) {
        p_strError = std::string("not a style document: ") + objDoc.ErrorDesc();
        if (objDoc.ErrorRow() > 0) p_strError += " at line " + std::to_string(objDoc.ErrorRow());
        return false;
    }
    std::map<u32, IdUse> mapUse;
    collect(objDoc.RootElement(), mapUse);
    p_stKeys = StyleKeys();
    for (const auto& stEntry : mapUse) {
        if (stEntry.second.nValued == 0) continue;
        p_stKeys.keys.insert(stEntry.first);
        // The controller removes the last element of id 10 or 11 when its
        // wide-dynamic-range or scene flag is set; when that element is the
        // only one with a value, the key may be missing from a stored set.
        const bool bFlagged = stEntry.first == KEY_EMPTY1 || stEntry.first == KEY_EMPTY2;
        if (bFlagged && stEntry.second.nValued == 1 && stEntry.second.bLastValued)
            p_stKeys.optional.insert(stEntry.first);
    }
    if (p_stKeys.keys.empty()) {
        p_strError = "not a style document: no element carries both \"id\" and \"value\"";
        return false;
    }
    return true;
}

}  // namespace sensorcfg
