// The input formats of the fuzz targets that are more than a text, shared by
// the targets and by the regression test that replays saved inputs
// (tests/robustness). Header-only and free of libFuzzer.
#ifndef SENSORDLL_FUZZ_INPUTS_H
#define SENSORDLL_FUZZ_INPUTS_H

#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "SensorTypes.h"

namespace fuzzinputs {

// Splits the input at NUL bytes into exactly p_nParts texts (missing ones
// empty); the last part keeps any further NULs.
inline std::vector<std::string> splitParts(const uint8_t* p_pData, size_t p_nSize, size_t p_nParts) {
    std::vector<std::string> vecParts;
    size_t nStart = 0;
    while (vecParts.size() + 1 < p_nParts) {
        size_t nEnd = nStart;
        while (nEnd < p_nSize && p_pData[nEnd] != 0) ++nEnd;
        vecParts.emplace_back(reinterpret_cast<const char*>(p_pData) + nStart, nEnd - nStart);
        nStart = nEnd < p_nSize ? nEnd + 1 : p_nSize;
    }
    vecParts.emplace_back(reinterpret_cast<const char*>(p_pData) + nStart, p_nSize - nStart);
    return vecParts;
}

// The scheme-file image of records: little-endian key and value.
inline std::string fileImage(const std::vector<KeyVal>& p_vecRecords) {
    std::string strImage;
    for (const KeyVal& stRecord : p_vecRecords) {
        for (u32 nWord : {stRecord.key, stRecord.value})
            for (int nShift = 0; nShift < 32; nShift += 8) strImage += static_cast<char>(nWord >> nShift);
    }
    return strImage;
}

inline u32 le32(const std::string& p_strBytes, size_t p_nOffset) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strBytes.data()) + p_nOffset;
    return static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8 | static_cast<u32>(p[2]) << 16 |
           static_cast<u32>(p[3]) << 24;
}

// What start-up loads from a scheme file: the factory set's keys in its
// order; the record of the r-th occurrence of a key takes the value of the
// r-th whole record of that key among the file's first 170, or keeps the
// factory value.
inline std::vector<KeyVal> loadedByKey(const std::string& p_strFile, const std::vector<KeyVal>& p_vecFactory) {
    const size_t nWhole = std::min<size_t>(p_strFile.size() / sizeof(KeyVal), 170);
    std::vector<KeyVal> vecLoaded = p_vecFactory;
    for (size_t i = 0; i < vecLoaded.size(); ++i) {
        size_t nOccurrence = 0;
        for (size_t j = 0; j < i; ++j) nOccurrence += p_vecFactory[j].key == p_vecFactory[i].key;
        for (size_t j = 0; j < nWhole; ++j) {
            if (le32(p_strFile, j * sizeof(KeyVal)) != p_vecFactory[i].key) continue;
            if (nOccurrence-- == 0) {
                vecLoaded[i].value = le32(p_strFile, j * sizeof(KeyVal) + 4);
                break;
            }
        }
    }
    return vecLoaded;
}

// The style of the start-up target: the ir-bullet's base style cut down to the
// tabs of the scheme, image, exposure and day/night settings.
inline std::string cutDownStyle(const std::string& p_strStyle) {
    TiXmlDocument objStyle;
    objStyle.Parse(p_strStyle.c_str(), nullptr, TIXML_ENCODING_UTF8);
    TiXmlElement* pRoot = objStyle.RootElement();
    if (pRoot == nullptr) return std::string();
    TiXmlElement* pNext = nullptr;
    for (TiXmlElement* pTab = pRoot->FirstChildElement(); pTab != nullptr; pTab = pNext) {
        pNext = pTab->NextSiblingElement();
        const std::string strKey = pTab->Attribute("key") != nullptr ? pTab->Attribute("key") : "";
        if (strKey != "scheme" && strKey != "image" && strKey != "exposure" && strKey != "daynight")
            pRoot->RemoveChild(pTab);
    }
    TiXmlPrinter objPrinter;
    objStyle.Accept(&objPrinter);
    return objPrinter.Str();
}

// The files of one start-up input.
struct SchemeFiles {
    static const int kSchemes = 4;
    bool bVersion = false;
    std::string strVersion;
    bool abPresent[kSchemes] = {false, false, false, false};
    std::string astrSchemes[kSchemes];
    bool bLeftovers = false;
    std::string strSchemeLeftover;
    std::string strVersionLeftover;
};

// A presence byte (bit 0 the version file, bits 1 to 4 the scheme files of
// schemes 0 to 3, bit 5 leftover temporary files); for the version file a
// length byte (modulo 9) and its raw bytes; for each scheme file its length as
// a signed 16-bit little-endian difference from the factory image's, a 16-bit
// count of edit bytes and those bytes, XORed onto the factory image from its
// start; for the leftovers (scheme 0's and the version file's) a length byte
// and the bytes of each (the version one modulo 9).
inline SchemeFiles decodeSchemeFiles(const uint8_t* p_pData, size_t p_nSize, const std::string& p_strFactoryImage) {
    size_t nPos = 0;
    const auto byte = [&]() -> uint8_t { return nPos < p_nSize ? p_pData[nPos++] : 0; };
    const auto bytes = [&](size_t p_nCount) {
        const size_t nTaken = std::min(p_nCount, p_nSize - nPos);
        std::string strBytes(reinterpret_cast<const char*>(p_pData) + nPos, nTaken);
        nPos += nTaken;
        return strBytes;
    };

    SchemeFiles stFiles;
    const uint8_t nPresent = byte();
    if (nPresent & 1) {
        stFiles.bVersion = true;
        stFiles.strVersion = bytes(byte() % 9);
    }
    for (int i = 0; i < SchemeFiles::kSchemes; ++i) {
        if ((nPresent & (2 << i)) == 0) continue;
        const uint8_t nLow = byte();
        const int nDelta = static_cast<int16_t>(nLow | byte() << 8);
        const size_t nLength = static_cast<size_t>(std::max(0, static_cast<int>(p_strFactoryImage.size()) + nDelta));
        const uint8_t nEditsLow = byte();
        const size_t nEdits = nEditsLow | byte() << 8;
        std::string strFile = p_strFactoryImage.substr(0, nLength);
        strFile.resize(nLength, '\0');
        const std::string strEdits = bytes(std::min(nEdits, nLength));
        for (size_t j = 0; j < strEdits.size(); ++j) strFile[j] = static_cast<char>(strFile[j] ^ strEdits[j]);
        stFiles.abPresent[i] = true;
        stFiles.astrSchemes[i] = strFile;
    }
    if (nPresent & 0x20) {
        stFiles.bLeftovers = true;
        stFiles.strSchemeLeftover = bytes(byte());
        stFiles.strVersionLeftover = bytes(byte() % 9);
    }
    return stFiles;
}

}  // namespace fuzzinputs

#endif
