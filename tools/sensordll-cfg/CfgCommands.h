// The commands of sensordll-cfg. Each prints its result to standard output,
// its errors (with the program's and the file's name) to standard error, and
// returns the program's exit status.
#ifndef SENSORDLL_CFG_COMMANDS_H
#define SENSORDLL_CFG_COMMANDS_H

#include <string>
#include <vector>

namespace sensorcfg {

const int EXIT_CLEAN = 0;
const int EXIT_FAILED = 1;  // a file failed, a check failed, a diff found differences
const int EXIT_USAGE = 2;   // bad usage (a diff that could not compare, too)

extern const char* const PROGRAM;

// The command line after the command's name, options taken out.
struct Invocation {
    std::vector<std::string> operands;
    bool bValuesOnly = false;  // -n
    bool bJson = false;        // --json
    std::string strStyle;      // --style, empty when not given
};

int runShow(const Invocation& p_stCall);
int runGet(const Invocation& p_stCall);
int runSet(const Invocation& p_stCall);
int runCheck(const Invocation& p_stCall);
int runDiff(const Invocation& p_stCall);

// "sensordll-cfg: TEXT" on standard error.
void printError(const std::string& p_strText);

}  // namespace sensorcfg

#endif
