// Host framework replacement: string splitting and number parsing.
#ifndef ZTHOST_STRING_HANDLER_H
#define ZTHOST_STRING_HANDLER_H

#include <string>
#include <vector>

class StringHandler {
public:
    // Appends one item per separator-delimited piece of the text, empty pieces
    // included; an empty text gives no item.
    static void split(const std::string& p_strText, std::vector<std::string>& p_vecItems,
                      const std::string& p_strSeparator);
    // Decimal text (leading blanks and a sign allowed) to integer; false when
    // no digit starts the text.
    static bool str2type(const std::string& p_strText, int& p_nValue);
};

// Runs a shell command line; the camera paths in it are resolved through
// DeviceRoot. p_nTimeoutSeconds bounds the run. Returns the command's exit
// status, -1 when it could not be run.
int sy_system(const char* p_szCommand, int p_nTimeoutSeconds);

#endif
