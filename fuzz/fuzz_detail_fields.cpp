// The module detail fields: getDetailFieldTou32 and getDetailFieldToStr on any
// detail text, field name and value buffer size.
//
// Input: the buffer size byte, then the name and the detail text separated by
// a NUL. The value buffer is a heap block of exactly the given size, so that a
// write past it is a sanitizer finding.
//
// Properties: both functions find the same fields; the string form writes a
// terminated value of at most size - 1 characters, a prefix of the text
// between the "=" and the ")" it found, and leaves the buffer untouched when
// the field is missing; the number is atoi of the first nine of those
// characters.
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "FuzzInputs.h"
#include "FuzzSupport.h"
#include "SensorFile.h"

namespace {

const char UNTOUCHED = '\x5a';

// The characters between the "=" and the ")" of the field, found the way the
// detail parsers are documented to find it; false when the field is missing.
bool referenceValue(const std::string& p_strDetail, const std::string& p_strName, std::string& p_strValue) {
    const size_t nName = p_strDetail.find(p_strName);
    if (nName == std::string::npos) return false;
    const size_t nEquals = p_strDetail.find('=', nName);
    if (nEquals == std::string::npos) return false;
    const size_t nClose = p_strDetail.find(')', nEquals);
    if (nClose == std::string::npos) return false;
    p_strValue = p_strDetail.substr(nEquals + 1, nClose - nEquals - 1);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize == 0) return 0;
    const size_t nValueSize = p_pData[0] % 24;
    const std::vector<std::string> vecParts = fuzzinputs::splitParts(p_pData + 1, p_nSize - 1, 2);
    // C strings: the functions see each text up to its first NUL.
    const std::string strName = vecParts[0];
    const std::string strDetail = vecParts[1].substr(0, vecParts[1].find('\0'));

    std::string strExpected;
    const bool bPresent = referenceValue(strDetail, strName, strExpected);

    u32 nNumber = 0xdeadbeef;
    const int nNumberResult = getDetailFieldTou32(strDetail.c_str(), strName.c_str(), &nNumber);
    FUZZ_CHECK(nNumberResult == (bPresent ? 0 : -1));
    if (bPresent) {
        FUZZ_CHECK(nNumber == static_cast<u32>(atoi(strExpected.substr(0, 9).c_str())));
    } else {
        FUZZ_CHECK(nNumber == 0xdeadbeef);
    }

    std::unique_ptr<char[]> pValue(new char[nValueSize == 0 ? 1 : nValueSize]);
    memset(pValue.get(), UNTOUCHED, nValueSize == 0 ? 1 : nValueSize);
    const int nTextResult =
        getDetailFieldToStr(strDetail.c_str(), strName.c_str(), nValueSize == 0 ? nullptr : pValue.get(), nValueSize);
    FUZZ_CHECK(nTextResult == (bPresent ? 0 : -1));
    if (!bPresent || nValueSize == 0) {
        for (size_t i = 0; i < nValueSize; ++i) FUZZ_CHECK(pValue[i] == UNTOUCHED);
        return 0;
    }
    const size_t nLength = strnlen(pValue.get(), nValueSize);
    FUZZ_CHECK(nLength < nValueSize);
    FUZZ_CHECK(nLength == std::min(strExpected.size(), nValueSize - 1));
    FUZZ_CHECK(strExpected.compare(0, nLength, pValue.get(), nLength) == 0);
    return 0;
}
