// The module detail text: a run of "(name=value)" fields.
//
// A name is found by plain substring search, so a name that ends a longer one
// earlier in the text matches there; the value runs from the first "=" after
// it to the first ")" after that.
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "SensorFile.h"

namespace {

// The characters between "=" and ")" of the first field matching p_szName.
bool findDetailValue(const char* p_szDetail, const char* p_szName, const char*& p_pBegin, size_t& p_nLength) {
    if (p_szDetail == nullptr || p_szName == nullptr) return false;
    const char* pName = strstr(p_szDetail, p_szName);
    if (pName == nullptr) return false;
    const char* pEquals = strchr(pName, '=');
    if (pEquals == nullptr) return false;
    const char* pClose = strchr(pEquals, ')');
    if (pClose == nullptr) return false;
    p_pBegin = pEquals + 1;
    p_nLength = static_cast<size_t>(pClose - p_pBegin);
    return true;
}

}  // namespace

// A value of more than 9 characters is read from its first 9.
int getDetailFieldTou32(const char* p_szDetail, const char* p_szName, u32* p_pnValue) {
    const char* pValue = nullptr;
    size_t nLength = 0;
    if (!findDetailValue(p_szDetail, p_szName, pValue, nLength)) return -1;
    char szValue[10] = {0};
    memcpy(szValue, pValue, std::min(nLength, sizeof(szValue) - 1));
    *p_pnValue = static_cast<u32>(atoi(szValue));
    return 0;
}

// Writes at most p_nValueSize - 1 characters and always terminates; a longer
// value is cut.
int getDetailFieldToStr(const char* p_szDetail, const char* p_szName, char* p_szValue, size_t p_nValueSize) {
    const char* pValue = nullptr;
    size_t nLength = 0;
    if (!findDetailValue(p_szDetail, p_szName, pValue, nLength)) return -1;
    if (p_nValueSize == 0) return 0;
    const size_t nCopied = std::min(nLength, p_nValueSize - 1);
    memcpy(p_szValue, pValue, nCopied);
    p_szValue[nCopied] = '\0';
    return 0;
}
