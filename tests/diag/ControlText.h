// Control-file texts as they appear in test names: quoted, line ends spelled
// out.
#ifndef SENSORDLL_TESTS_DIAG_CONTROL_TEXT_H
#define SENSORDLL_TESTS_DIAG_CONTROL_TEXT_H

#include <string>

inline std::string spelledOut(const char* p_szControl) {
    if (p_szControl == nullptr) return "no file";
    std::string strText = "\"";
    for (const char* p = p_szControl; *p != '\0'; ++p) {
        if (*p == '\n')
            strText += "\\n";
        else if (*p == '\r')
            strText += "\\r";
        else
            strText += *p;
    }
    return strText + "\"";
}

#endif
