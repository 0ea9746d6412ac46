// The scheme files (raw runs of 8-byte KeyVal records) and the 4-byte
// version file: their formats, and the controller's helpers that name and
// remove a channel's scheme files (names and commands in SchemeFiles.h).
//
// Both are little-endian on flash whatever the host's byte order, so records
// are encoded into and decoded from byte buffers explicitly. Rewrites go
// through FileReplacement: a failed or interrupted write keeps the old file.
#include <algorithm>

#include "ISensorController.h"
#include "SensorFile.h"
#include "StringHandler.h"
#include "ZTFile.h"
#include "diag/SensorReport.h"
#include "storage/FileReplacement.h"
#include "platform/CameraFileSystem.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeFiles.h"

namespace {

// Records moved per read or write call; the buffer stays on the stack.
const u32 CHUNK_RECORDS = 64;

void putLe32(unsigned char* p_pBytes, u32 p_nValue) {
    p_pBytes[0] = static_cast<unsigned char>(p_nValue);
    p_pBytes[1] = static_cast<unsigned char>(p_nValue >> 8);
    p_pBytes[2] = static_cast<unsigned char>(p_nValue >> 16);
    p_pBytes[3] = static_cast<unsigned char>(p_nValue >> 24);
}

u32 getLe32(const unsigned char* p_pBytes) {
    return static_cast<u32>(p_pBytes[0]) | static_cast<u32>(p_pBytes[1]) << 8 | static_cast<u32>(p_pBytes[2]) << 16 |
           static_cast<u32>(p_pBytes[3]) << 24;
}

void encodeRecords(const KeyVal* p_pKeyVal, u32 p_nCount, unsigned char* p_pBytes) {
    for (u32 i = 0; i < p_nCount; ++i) {
        putLe32(p_pBytes + i * sizeof(KeyVal), p_pKeyVal[i].key);
        putLe32(p_pBytes + i * sizeof(KeyVal) + 4, p_pKeyVal[i].value);
    }
}

void decodeRecords(const unsigned char* p_pBytes, u32 p_nCount, KeyVal* p_pKeyVal) {
    for (u32 i = 0; i < p_nCount; ++i) {
        p_pKeyVal[i].key = getLe32(p_pBytes + i * sizeof(KeyVal));
        p_pKeyVal[i].value = getLe32(p_pBytes + i * sizeof(KeyVal) + 4);
    }
}

}  // namespace

// Reads at most p_nKeyValNum records. A short file fills the records it holds
// completely and leaves the rest, a partial last record included, unchanged.
// Returns 0 even then: start-up and the readers go on with what they have.
int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    ZTFile file;
    const bool bOpened = file.open(file_name) != 0;
    SENSOR_ASSERT_EXPR(bOpened, "file.open(file_name)", "file_name(%s)\n", file_name);

    unsigned char abyChunk[CHUNK_RECORDS * sizeof(KeyVal)];
    u32 nSize = 0;
    u32 nDone = 0;
    while (nDone < p_nKeyValNum) {
        const u32 nWanted = std::min(CHUNK_RECORDS, p_nKeyValNum - nDone);
        const int nRead = file.read(abyChunk, nWanted * sizeof(KeyVal));
        if (nRead <= 0) break;
        nSize += static_cast<u32>(nRead);
        const u32 nWhole = static_cast<u32>(nRead) / sizeof(KeyVal);
        decodeRecords(abyChunk, nWhole, p_pKeyVal + nDone);
        nDone += nWhole;
        if (nWhole != nWanted) break;
    }
    SENSOR_ASSERT_EXPR(nSize == sizeof(KeyVal) * p_nKeyValNum, "nSize == sizeof(KeyVal)*p_nKeyValNum",
                       "file_name(%s) nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", file_name,
                       static_cast<int>(nSize), static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValNum));
    file.close();
    return 0;
}

// 0 once the file holds exactly the p_nKeyValSum records; -1 with the old file
// kept when any step fails.
int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum) {
    FileReplacement file(file_name);
    const bool bOpened = file.open();
    SENSOR_ASSERT_EXPR(bOpened, "file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)", "file_name(%s)\n",
                       file_name);
    if (!bOpened) return -1;

    unsigned char abyChunk[CHUNK_RECORDS * sizeof(KeyVal)];
    u32 nSize = 0;
    for (u32 nDone = 0; nDone < p_nKeyValSum;) {
        const u32 nRecords = std::min(CHUNK_RECORDS, p_nKeyValSum - nDone);
        encodeRecords(p_pKeyVal + nDone, nRecords, abyChunk);
        const int nWritten = file.write(abyChunk, nRecords * sizeof(KeyVal));
        if (nWritten > 0) nSize += static_cast<u32>(nWritten);
        if (nWritten != static_cast<int>(nRecords * sizeof(KeyVal))) break;
        nDone += nRecords;
    }
    const bool bWritten = nSize == sizeof(KeyVal) * p_nKeyValSum;
    SENSOR_ASSERT_EXPR(bWritten, "nSize == sizeof(KeyVal)*p_nKeyValSum",
                       "nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", static_cast<int>(nSize),
                       static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValSum));
    if (!bWritten) return -1;
    return file.commit() ? 0 : -1;
}

// The first four bytes of the version file; p_pnVersion is left as it was
// when fewer are there.
int getVersion(u32* p_pnVersion) {
    unsigned char abyVersion[4];
    if (loadFromFile(camerapath::VERSION_FILE, reinterpret_cast<char*>(abyVersion), sizeof(abyVersion)) <= 0) return -1;
    *p_pnVersion = getLe32(abyVersion);
    return 0;
}

// 0 once the version file holds exactly the four bytes; -1 with the old file
// kept otherwise.
int setVersion(u32 p_nVersion) {
    const char* const file_name = camerapath::VERSION_FILE;
    unsigned char abyVersion[4];
    putLe32(abyVersion, p_nVersion);

    FileReplacement file(file_name);
    const bool bOpened = file.open();
    SENSOR_ASSERT_EXPR(bOpened, "file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)", "file_name(%s)\n",
                       file_name);
    if (!bOpened) return -1;
    const int nSize = file.write(abyVersion, sizeof(abyVersion));
    const bool bWritten = nSize == static_cast<int>(sizeof(abyVersion));
    SENSOR_ASSERT_EXPR(bWritten, "file_len == (nSize=file.write(data, file_len))", "file_len(%d)\n",
                       static_cast<int>(sizeof(abyVersion)));
    if (!bWritten) return -1;
    return file.commit() ? 0 : -1;
}

// The scheme file of a user scheme of this channel, into a cleared buffer.
void ISensorController::formatSchemeFileName(int p_nScheme, char* p_szName, size_t p_nSize) const {
    schemefiles::formatSchemeFile(m_bThermalChannel, m_nCameraID, p_nScheme, p_szName, p_nSize);
}

// Removes every scheme file of this channel. The visible clean-up command
// names schemes 0 to 3 only; the channel's later schemes are removed too, so
// that files of another version or of the user's settings never survive.
void ISensorController::removeSchemeFiles() {
    char szCommand[256];
    schemefiles::formatCleanupCommand(m_bThermalChannel, m_nCameraID, szCommand, sizeof(szCommand));
    sy_system(szCommand, 30);
    if (m_bThermalChannel) return;
    for (u32 i = schemefiles::FIRST_SCHEME_PAST_CLEANUP; i < m_stSysConf.nSchemeSum; ++i) {
        char szFileName[256];
        formatSchemeFileName(static_cast<int>(i), szFileName, sizeof(szFileName));
        removeCameraFile(szFileName);
    }
}
