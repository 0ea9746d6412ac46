// sensordll-cfg's reader on arbitrary bytes, as a scheme file and as a
// version file, decoded in memory and read back from a file, and the checks
// over what it decoded.
//
// Properties: a scheme file decodes exactly when it is 1 to 170 whole 8-byte
// records and a version file when it is 4 bytes; what decodes encodes back to
// the same bytes; reading the bytes from a file gives what decoding them
// gives; check finds no problem only in records whose keys are all in the
// key table, none twice, the five scheme keys first.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <set>
#include <string>

#include "CfgCheck.h"
#include "CfgFile.h"
#include "CfgKeys.h"

namespace {

#define CFG_FUZZ_CHECK(cond)                                          \
    do {                                                              \
        if (!(cond)) {                                                \
            fprintf(stderr, "property failed: %s\n", #cond);          \
            abort();                                                  \
        }                                                             \
    } while (0)

char g_szScratchDir[] = "/tmp/fuzz_cfg_reader.XXXXXX";

void removeScratch() {
    unlink((std::string(g_szScratchDir) + "/input.cfg").c_str());
    rmdir(g_szScratchDir);
}

// The file each input is written to, in a directory of this run's own that
// goes at exit.
const std::string& scratchFile() {
    static const std::string s_strPath = [] {
        CFG_FUZZ_CHECK(mkdtemp(g_szScratchDir) != nullptr);
        atexit(removeScratch);
        return std::string(g_szScratchDir) + "/input.cfg";
    }();
    return s_strPath;
}

void checkKind(const std::string& p_strBytes, sensorcfg::FileKind p_eKind) {
    sensorcfg::CfgFile stFile;
    std::string strError;
    const bool bDecoded = sensorcfg::decodeCfg(p_strBytes, p_eKind, stFile, strError);
    const size_t nSize = p_strBytes.size();
    const bool bExpected = p_eKind == sensorcfg::FileKind::Version
                               ? nSize == 4
                               : nSize > 0 && nSize % 8 == 0 && nSize <= sensorcfg::maxFileBytes();
    CFG_FUZZ_CHECK(bDecoded == bExpected);
    CFG_FUZZ_CHECK(bDecoded || !strError.empty());
    if (!bDecoded) return;
    CFG_FUZZ_CHECK(sensorcfg::encodeCfg(stFile) == p_strBytes);

    const std::vector<std::string> vecProblems = sensorcfg::checkRecords(stFile, nullptr);
    if (p_eKind == sensorcfg::FileKind::Version || !vecProblems.empty()) return;
    CFG_FUZZ_CHECK(sensorcfg::firstUnknownKey(stFile) == -1);
    std::set<u32> setKeys;
    for (const KeyVal& stRecord : stFile.records) CFG_FUZZ_CHECK(setKeys.insert(stRecord.key).second);
    for (u32 i = 0; i < 5; ++i) CFG_FUZZ_CHECK(stFile.records.at(i).key == 8000 + i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strBytes(reinterpret_cast<const char*>(p_pData), p_nSize);
    checkKind(strBytes, sensorcfg::FileKind::Scheme);
    checkKind(strBytes, sensorcfg::FileKind::Version);

    FILE* pFile = fopen(scratchFile().c_str(), "wb");
    CFG_FUZZ_CHECK(pFile != nullptr);
    CFG_FUZZ_CHECK(fwrite(strBytes.data(), 1, p_nSize, pFile) == p_nSize);
    CFG_FUZZ_CHECK(fclose(pFile) == 0);
    sensorcfg::CfgFile stRead, stDecoded;
    std::string strReadError, strDecodeError;
    const bool bRead = sensorcfg::readCfgFile(scratchFile(), stRead, strReadError);
    const bool bDecoded = sensorcfg::decodeCfg(strBytes, sensorcfg::kindOf(scratchFile(), p_nSize), stDecoded,
                                               strDecodeError);
    // The file reader refuses an oversized file before reading it, in its
    // own words; everything else it leaves to the decoder.
    CFG_FUZZ_CHECK(bRead == bDecoded);
    CFG_FUZZ_CHECK(bRead ? sensorcfg::encodeCfg(stRead) == strBytes : !strReadError.empty());
    return 0;
}
