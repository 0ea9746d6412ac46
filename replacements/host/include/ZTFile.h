// Host framework replacement: one open file. Every path is a camera path and
// is resolved through DeviceRoot.
#ifndef ZTHOST_ZTFILE_H
#define ZTHOST_ZTFILE_H

#include <stdio.h>
#include <string>
#include <vector>

class ZTFile {
public:
    enum Mode : unsigned char {
        modeRead = 1,
        modeWrite = 2,
        modeAppend = 4,
        modeTruncate = 64,
    };

    ZTFile();
    ~ZTFile();
    ZTFile(const ZTFile&) = delete;
    ZTFile& operator=(const ZTFile&) = delete;

    // Non-zero on success. Mode 1 reads; 66 (write | truncate) creates or
    // empties the file for writing.
    int open(const std::string& p_strPath, unsigned char p_nMode = modeRead);
    // Bytes moved; 0 when the file is not open.
    int read(void* p_pBuffer, unsigned int p_nCount);
    int write(const void* p_pBuffer, unsigned int p_nCount);
    // Size in bytes; -1 when the file is not open.
    long long getLength();
    FILE* getFileHandle();
    // One line of the stream without its line end; "" at the end of the file.
    static std::string ReadOneLine(FILE* p_pStream);
    // Every remaining line, without line ends.
    std::vector<std::string> ReadLines();
    void close();

private:
    FILE* m_pFile;
};

#endif
