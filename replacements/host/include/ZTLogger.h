// Host framework replacement: an appending, size-rotated log file.
#ifndef ZTHOST_ZTLOGGER_H
#define ZTHOST_ZTLOGGER_H

#include <string>

class ZTLogger {
public:
    ZTLogger();
    ~ZTLogger();
    // p_nMaxBytes: size at which the file is rotated; p_nMaxFiles: how many
    // files are kept in all (path, path.1, ... path.(n-1)).
    bool init(const std::string& p_strPath, int p_nMaxBytes, int p_nMaxFiles);
    // Appends one line "tag message" (the message's own line end is kept).
    bool writeLog(const std::string& p_strTag, const std::string& p_strMessage);

private:
    std::string m_strPath;
    int m_nMaxBytes;
    int m_nMaxFiles;
};

#endif
