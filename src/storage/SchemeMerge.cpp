// Stored scheme files read back by key.
#include "storage/SchemeMerge.h"

#include <vector>

#include "SensorFile.h"
#include "ZTFile.h"
#include "diag/SensorReport.h"

namespace {

bool holdsKey(const KeyVal* p_pRecords, u32 p_nCount, u32 p_nKey) {
    for (u32 i = 0; i < p_nCount; ++i)
        if (p_pRecords[i].key == p_nKey) return true;
    return false;
}

// A key no record of the scheme has. Records a failed read leaves unfilled
// carry it, so that the merge drops them and they are told from records that
// arrived.
u32 unusedKey(const KeyVal* p_pScheme, u32 p_nKeyValSum) {
    u32 nKey = 0xFFFFFFFFu;
    while (holdsKey(p_pScheme, p_nKeyValSum, nKey)) --nKey;
    return nKey;
}

}  // namespace

u32 mergeStoredRecords(KeyVal* p_pScheme, u32 p_nKeyValSum, const KeyVal* p_pStored, u32 p_nStoredSum) {
    // A record of the scheme takes at most one stored record: the first one of
    // its key that no earlier record of the same key took.
    std::vector<bool> vecTaken(p_nKeyValSum, false);
    u32 nDropped = 0;
    for (u32 j = 0; j < p_nStoredSum; ++j) {
        u32 i = 0;
        while (i < p_nKeyValSum && (vecTaken[i] || p_pScheme[i].key != p_pStored[j].key)) ++i;
        if (i == p_nKeyValSum) {
            ++nDropped;
            continue;
        }
        vecTaken[i] = true;
        p_pScheme[i].value = p_pStored[j].value;
    }
    return nDropped;
}

int keyValFromFileByKey(char* file_name, KeyVal* p_pScheme, u32 p_nKeyValSum, const SensorReportCaller& p_stCaller) {
    // The file's length decides how many records to read; a file that does
    // not open is asked for a whole scheme, so that keyValFromFile reports it
    // as it reports any failed read. A torn last record counts as one, and
    // its short read is reported.
    long long nLength = -1;
    ZTFile file;
    if (file.open(file_name) != 0) {
        nLength = file.getLength();
        file.close();
    }
    u32 nWanted = p_nKeyValSum;
    if (nLength >= 0) {
        const long long nRecordSize = static_cast<long long>(sizeof(KeyVal));
        const long long nRecords = (nLength + nRecordSize - 1) / nRecordSize;
        nWanted =
            nRecords < static_cast<long long>(SCHEME_KEY_CAPACITY) ? static_cast<u32>(nRecords) : SCHEME_KEY_CAPACITY;
    }

    const u32 nUnused = unusedKey(p_pScheme, p_nKeyValSum);
    std::vector<KeyVal> vecStored(nWanted == 0 ? 1 : nWanted, KeyVal{nUnused, 0});
    keyValFromFile(file_name, vecStored.data(), nWanted);
    u32 nArrived = 0;
    while (nArrived < nWanted && vecStored[nArrived].key != nUnused) ++nArrived;

    const u32 nDropped = mergeStoredRecords(p_pScheme, p_nKeyValSum, vecStored.data(), nArrived);
    bool bSameLayout = nArrived == p_nKeyValSum;
    for (u32 i = 0; bSameLayout && i < nArrived; ++i) bSameLayout = vecStored[i].key == p_pScheme[i].key;
    if (!bSameLayout && nLength >= 0)
        SENSOR_WARN_FOR(p_stCaller,
                        "file_name(%s) holds %u records for the %u of the style, %u of them dropped: read by key\n",
                        file_name, static_cast<unsigned>(nArrived), static_cast<unsigned>(p_nKeyValSum),
                        static_cast<unsigned>(nDropped));
    if (nLength < 0 || nArrived < nWanted) return -1;
    return static_cast<int>(nArrived);
}
