// sensordll-cfg: shows, checks, compares and edits the scheme and version
// files that libsensordll stores on a camera's flash. It needs nothing but
// the C++ runtime and TinyXML, so the same program runs on the camera and on
// a desktop.
#include <cstring>
#include <iostream>
#include <string>

#include "CfgCommands.h"
#include "SensorVersion.h"

using namespace sensorcfg;

namespace {

void printHelp() {
    std::cout <<
        "Usage: sensordll-cfg show [-n] [--json] FILE...\n"
        "  or:  sensordll-cfg get [-n] [--json] FILE KEY...\n"
        "  or:  sensordll-cfg set FILE KEY=VALUE...\n"
        "  or:  sensordll-cfg check [--style STYLE] FILE...\n"
        "  or:  sensordll-cfg diff FILE1 FILE2\n"
        "Show, check, compare and edit the scheme and version files of libsensordll.\n"
        "\n"
        "A scheme file (/mnt/mtd/code/config_file/sensor<channel>_<scheme>.cfg,\n"
        "sensor-thermal<scheme>.cfg) holds one value set of a channel: 8-byte records of\n"
        "a key and a value, little-endian, at most 170. The version file (snsversion.cfg,\n"
        "or any other file of 4 bytes not named sensor*) holds the version that wrote\n"
        "them. Keys are named from the library's key table.\n"
        "\n"
        "Commands:\n"
        "  show FILE...         print each record as KEY_NAME (KEY) = VALUE, and a version\n"
        "                       file as version = NUMBER; several files each under a\n"
        "                       ==> FILE <== line\n"
        "  get FILE KEY...      print the records of the keys given (a version file:\n"
        "                       KEY is \"version\")\n"
        "  set FILE KEY=VALUE...\n"
        "                       change the records of the keys given and replace the\n"
        "                       file safely (temporary file, sync, rename, directory\n"
        "                       sync); a key the file does not hold refuses the whole\n"
        "                       set and nothing is written\n"
        "  check FILE...        check each file: a whole number of 8-byte records (1 to\n"
        "                       170), no key twice, every key in the key table, the five\n"
        "                       scheme keys (8000 to 8004) first; with --style, the same\n"
        "                       key set as the factory set of that merged style\n"
        "  diff FILE1 FILE2     print the records whose values differ (KEY: OLD -> NEW) and\n"
        "                       the keys held by one file only\n"
        "\n"
        "A KEY is a number (34, 0x22) or a name (KEY_BRIGHTNESS, brightness); a VALUE a\n"
        "32-bit number, decimal with an optional sign or hexadecimal with 0x.\n"
        "\n"
        "Options:\n"
        "  -n                   show, get: print the values only, one a line\n"
        "      --json           show, get: print a JSON array of\n"
        "                       {\"key\":34,\"name\":\"KEY_BRIGHTNESS\",\"value\":50} (a version\n"
        "                       file: {\"version\":8}; with several files each element\n"
        "                       also names its \"file\")\n"
        "      --style STYLE    check: compare the key set with the factory set of the\n"
        "                       merged style STYLE (e.g. /tmp/merge_style_ch1.xml)\n"
        "  -h, --help           display this help and exit\n"
        "      --version        output version information and exit\n"
        "\n"
        "Exit status:\n"
        "  0   success: check found every file clean, diff found no difference\n"
        "  1   a file could not be read or is no scheme or version file, a key was not\n"
        "      in the file, a check failed, diff found differences\n"
        "  2   bad usage: unknown command, option, key or value, a style that does not\n"
        "      load; for diff also a file that could not be compared\n"
        "\n"
        "A file that cannot be read is reported with its name on standard error and is\n"
        "never written; check prints its findings on standard output.\n"
        "\n"
        "Examples:\n"
        "  $ sensordll-cfg show /mnt/mtd/code/config_file/sensor1_0.cfg\n"
        "  $ sensordll-cfg get sensor1_0.cfg KEY_BRIGHTNESS 2353\n"
        "  $ sensordll-cfg set sensor1_0.cfg brightness=60 KEY_CONTRAST=45\n"
        "  $ sensordll-cfg check --style /tmp/merge_style_ch1.xml sensor1_*.cfg\n"
        "  $ sensordll-cfg diff sensor1_0.cfg sensor1_1.cfg\n"
        "  $ sensordll-cfg show --json snsversion.cfg sensor1_0.cfg\n";
}

void printVersion() {
    std::cout << "sensordll-cfg (libsensordll) " SENSORDLL_VERSION "\n";
}

struct Command {
    const char* szName;
    int (*pRun)(const Invocation&);
    size_t nMinOperands;
    size_t nMaxOperands;  // 0: no bound
    bool bOutputOptions;  // -n, --json
    bool bStyleOption;    // --style
};

const Command COMMANDS[] = {
    {"show", runShow, 1, 0, true, false},  {"get", runGet, 2, 0, true, false},
    {"set", runSet, 2, 0, false, false},   {"check", runCheck, 1, 0, false, true},
    {"diff", runDiff, 2, 2, false, false},
};

int usage(const std::string& p_strText) {
    printError(p_strText);
    std::cerr << "Try 'sensordll-cfg --help' for more information.\n";
    return EXIT_USAGE;
}

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    if (p_nArgc < 2) return usage("no command given");
    const std::string strFirst = p_ppArgv[1];
    if (strFirst == "--help" || strFirst == "-h") {
        printHelp();
        return EXIT_CLEAN;
    }
    if (strFirst == "--version") {
        printVersion();
        return EXIT_CLEAN;
    }
    const Command* pCommand = nullptr;
    for (const Command& stCommand : COMMANDS)
        if (strFirst == stCommand.szName) pCommand = &stCommand;
    if (pCommand == nullptr) return usage("unknown command '" + strFirst + "'");

    Invocation stCall;
    bool bOperandsOnly = false;
    for (int i = 2; i < p_nArgc; ++i) {
        const std::string strArg = p_ppArgv[i];
        if (bOperandsOnly || strArg.size() < 2 || strArg[0] != '-') {
            stCall.operands.push_back(strArg);
        } else if (strArg == "--") {
            bOperandsOnly = true;
        } else if (strArg == "--help" || strArg == "-h") {
            printHelp();
            return EXIT_CLEAN;
        } else if (pCommand->bOutputOptions && strArg == "-n") {
            stCall.bValuesOnly = true;
        } else if (pCommand->bOutputOptions && strArg == "--json") {
            stCall.bJson = true;
        } else if (pCommand->bStyleOption && strArg == "--style") {
            if (++i == p_nArgc || p_ppArgv[i][0] == '\0') return usage("--style needs a STYLE file");
            stCall.strStyle = p_ppArgv[i];
        } else if (pCommand->bStyleOption && strArg.compare(0, 8, "--style=") == 0 && strArg.size() > 8) {
            stCall.strStyle = strArg.substr(8);
        } else {
            return usage("'" + strArg + "' is no option of " + pCommand->szName);
        }
    }
    if (stCall.bValuesOnly && stCall.bJson) return usage("-n and --json exclude each other");
    if (stCall.operands.size() < pCommand->nMinOperands ||
        (pCommand->nMaxOperands != 0 && stCall.operands.size() > pCommand->nMaxOperands))
        return usage(std::string(pCommand->szName) + ": wrong number of operands");
    return pCommand->pRun(stCall);
}
