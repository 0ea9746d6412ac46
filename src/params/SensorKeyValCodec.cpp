// The two text forms of parameters: the key/value list "(k,v)(k,v)..." that
// carries whole parameter sets, and the id list "(a,b,c)" that names keys.
#include <stdio.h>

#include "ISensorController.h"
#include "SensorKeyVal.h"
#include "StringHandler.h"

void keyval_st2str(std::string& p_strOut, const KeyVal* p_pKeyval, u32 p_nKeyValSum) {
    if (p_pKeyval == nullptr) return;
    for (u32 i = 0; i < p_nKeyValSum; ++i) {
        // "(-2147483648,-2147483648)" and its NUL fit.
        char szItem[32];
        snprintf(szItem, sizeof(szItem), "(%d,%d)", static_cast<int>(p_pKeyval[i].key),
                 static_cast<int>(p_pKeyval[i].value));
        p_strOut += szItem;
    }
}

// Items are scanned with "(%d,%d)" into a key and a value that carry over
// from one item to the next, so a field that does not convert repeats the
// previous record's field. The parse ends quietly at the first "(" without a
// ")" after it.
bool keyval_str2st(const std::string& p_strIn, KeyVal* p_pKeyval, u32* p_pnKeyValSum, u32 p_nCapacity) {
    if (p_pnKeyValSum == nullptr) return false;
    *p_pnKeyValSum = 0;
    if (p_pKeyval == nullptr) p_nCapacity = 0;
    int nKey = 0;
    int nValue = 0;
    std::string::size_type nPos = 0;
    while (nPos < p_strIn.size()) {
        const std::string::size_type nOpen = p_strIn.find('(', nPos);
        if (nOpen == std::string::npos || nOpen + 1 == p_strIn.size()) break;
        const std::string::size_type nClose = p_strIn.find(')', nOpen + 1);
        if (nClose == std::string::npos) break;
        if (*p_pnKeyValSum == p_nCapacity) return false;
        const std::string strItem = p_strIn.substr(nOpen, nClose - nOpen + 1);
        sscanf(strItem.c_str(), "(%d,%d)", &nKey, &nValue);
        p_pKeyval[*p_pnKeyValSum].key = static_cast<u32>(nKey);
        p_pKeyval[*p_pnKeyValSum].value = static_cast<u32>(nValue);
        ++*p_pnKeyValSum;
        nPos = nClose + 1;
    }
    return true;
}

// Accepts exactly one pair of parentheses around the whole text with at least
// one character between them.
bool ISensorController::parseSensorParameter(const std::string& p_strParameters, std::vector<std::string>& p_vecItems) {
    if (p_strParameters.empty()) return false;
    if (p_strParameters.find('(') != 0) return false;
    const std::string::size_type nClose = p_strParameters.find(')');
    if (nClose == std::string::npos || nClose + 1 != p_strParameters.size() || nClose < 2) return false;
    StringHandler::split(p_strParameters.substr(1, nClose - 1), p_vecItems, ",");
    return !p_vecItems.empty();
}
