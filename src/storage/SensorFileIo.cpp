// The general file helpers: length, whole-file read and truncating write of
// camera paths, used for the style documents.
#include "SensorFile.h"

#include "ZTFile.h"
#include "diag/SensorReport.h"

INT64 getFileLen(const char* file_name) {
    ZTFile file;
    const bool bOpened = file.open(file_name) != 0;
    SENSOR_ASSERT_EXPR(bOpened, "file.open(file_name)", "file_name(%s)", file_name);
    return file.getLength();
}

// Silent on failure: the callers report what they were loading.
int loadFromFile(const char* file_name, char* data, INT64 file_len) {
    SENSOR_DBG_COLOUR(0, 37, "open file:%s\n", file_name);
    // A negative length (getFileLen of a file that did not open) would read
    // into data without bound.
    if (file_len < 0) return -1;

    ZTFile file;
    if (!file.open(file_name)) return -1;
    const int nSize = file.read(data, static_cast<unsigned int>(file_len));
    if (static_cast<INT64>(nSize) != file_len) return -1;
    file.close();
    return nSize;
}

int saveToFile(char* file_name, char* data, INT64 file_len) {
    ZTFile file;
    const bool bOpened = file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate) != 0;
    SENSOR_ASSERT_EXPR(bOpened, "file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)", "file_name(%s)\n",
                       file_name);
    // A negative length writes nothing rather than reading past data.
    const unsigned int nCount = file_len < 0 ? 0u : static_cast<unsigned int>(file_len);
    int nSize = 0;
    const bool bWritten = file_len == (nSize = file.write(data, nCount));
    SENSOR_ASSERT_EXPR(bWritten, "file_len == (nSize=file.write(data, file_len))", "file_len(%d)\n",
                       static_cast<int>(file_len));
    file.close();
    return nSize;
}
