// Reading and replacing the stored files of the controller: scheme files (a
// run of 8-byte little-endian key/value records, nothing else) and the
// 4-byte little-endian version file.
#ifndef SENSORDLL_CFG_FILE_H
#define SENSORDLL_CFG_FILE_H

#include <stddef.h>

#include <string>
#include <vector>

#include "SensorTypes.h"

namespace sensorcfg {

enum class FileKind { Scheme, Version };

struct CfgFile {
    std::string path;
    FileKind kind = FileKind::Scheme;
    std::vector<KeyVal> records;  // a scheme file's records, in file order
    u32 version = 0;              // a version file's number
};

// The kind a file is read as: the version file by its name (as the camera
// names it) or, under another name, by its 4 bytes; scheme files otherwise.
FileKind kindOf(const std::string& p_strPath, size_t p_nSize);

// The largest file read: a scheme file of the most records a scheme holds.
size_t maxFileBytes();

// Decodes a file's bytes as p_eKind. False with the reason in p_strError when
// they are not such a file: a scheme file must hold 1 to the scheme capacity
// of whole records, a version file exactly 4 bytes.
bool decodeCfg(const std::string& p_strBytes, FileKind p_eKind, CfgFile& p_stFile, std::string& p_strError);

// The bytes of the file as stored.
std::string encodeCfg(const CfgFile& p_stFile);

// Reads and decodes the file at p_strPath. Anything but a regular file (a
// directory, a FIFO, a device) is refused unread, and so is a file larger
// than maxFileBytes(). False with the reason in p_strError.
bool readCfgFile(const std::string& p_strPath, CfgFile& p_stFile, std::string& p_strError);

// Where the first key outside the key table stands, or -1 when every key is
// in it.
long firstUnknownKey(const CfgFile& p_stFile);

// Replaces the file with p_strBytes as the library replaces it: a temporary
// file beside it (its name with ".tmp"), created exclusively, written,
// synced, renamed over the file, and the directory synced. The file keeps
// its permissions. On failure the file is untouched, the temporary is gone
// and p_strError says which step failed.
bool replaceCfgFile(const std::string& p_strPath, const std::string& p_strBytes, std::string& p_strError);

}  // namespace sensorcfg

#endif
