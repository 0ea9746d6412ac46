// Command-line options, declared once as a table from which parsing and the
// help text derive.
#include "Options.h"

#include "Values.h"

namespace sensorsim {

namespace {

// "[ADDR:]PORT", port 0 to 65535 (0: a free one).
void parseHttpAddress(Options& p_stOptions, const std::string& p_strValue) {
    const size_t nColon = p_strValue.rfind(':');
    const std::string strPort = nColon == std::string::npos ? p_strValue : p_strValue.substr(nColon + 1);
    const long long nPort = parseInteger(strPort, "port");
    if (nPort < 0 || nPort > 65535) throw InputError("port " + strPort + " is not 0 to 65535");
    if (nColon != std::string::npos) {
        if (nColon == 0) throw InputError("no address before ':' in '" + p_strValue + "'");
        p_stOptions.httpAddress = p_strValue.substr(0, nColon);
    }
    p_stOptions.http = true;
    p_stOptions.httpPort = static_cast<int>(nPort);
}

struct OptionEntry {
    const char* name;
    const char* argument;  // "" for a switch
    const char* help;
    void (*apply)(Options& p_stOptions, const std::string& p_strValue);
};

const OptionEntry OPTIONS[] = {
    {"--profile", "NAME|DIR",
     "device profile: a bundled one (ir-bullet, dome, thermal-dual; default ir-bullet) or a directory laid out "
     "like one (root/, isp/sensor-chN.xml, video.ini)",
     [](Options& o, const std::string& v) { o.profile = v; }},
    {"--root", "DIR",
     "start from this device root (camera files at their camera paths, e.g. a copy of a camera's flash) instead of "
     "the profile's files; the profile still gives the simulated ISP and video module. DIR is copied, never written",
     [](Options& o, const std::string& v) { o.deviceRoot = v; }},
    {"--devices", "DIR",
     "the bundled device data (default: ../share/sensordll/devices beside the program when it is installed, else "
     "the source tree's devices/)",
     [](Options& o, const std::string& v) { o.devicesDir = v; }},
    {"--work", "DIR",
     "working root (created when missing; one that already holds a device is used as it stands, like a reboot). "
     "Default: a new temporary directory, removed at exit",
     [](Options& o, const std::string& v) { o.workDir = v; }},
    {"--keep", "", "keep the temporary working root at exit", [](Options& o, const std::string&) { o.keep = true; }},
    {"-c", "COMMANDS", "run these commands (separated by ';' or new lines) and exit",
     [](Options& o, const std::string& v) {
         o.sources.push_back({false, v});
     }},
    {"--script", "FILE", "run the commands of FILE and exit ('#' starts a comment)",
     [](Options& o, const std::string& v) {
         o.sources.push_back({true, v});
     }},
    {"--trace", "", "start with tracing on (every ISP call and video notification a command causes)",
     [](Options& o, const std::string&) { o.trace = true; }},
    {"--debug", "LEVEL", "library debug level, written to /tmp/Debug.sign under the root before start-up",
     [](Options& o, const std::string& v) {
         o.hasDebugLevel = true;
         o.debugLevel = static_cast<int>(parseInteger(v, "debug level"));
     }},
    {"--quiet", "", "hide the library's own console output; only the simulator's lines remain",
     [](Options& o, const std::string&) { o.quiet = true; }},
    {"--json", "",
     "answer every command with one JSON object a line on standard output (implies --quiet; the shape is in the "
     "README)",
     [](Options& o, const std::string&) {
         o.json = true;
         o.quiet = true;
     }},
    {"--http", "[ADDR:]PORT",
     "also serve the settings page and its JSON API at http://ADDR:PORT/ (address default 127.0.0.1; port 0: a "
     "free one); the simulator then runs until quit at the prompt, SIGTERM, or SIGINT without a prompt",
     &parseHttpAddress},
    {"--web", "DIR",
     "the settings page's folder (default: ../share/sensordll/web beside an installed program, else the source "
     "tree's tools/sensor-sim/web)",
     [](Options& o, const std::string& v) { o.webDir = v; }},
    {"--list-profiles", "", "list the bundled device profiles and exit",
     [](Options& o, const std::string&) { o.listProfiles = true; }},
    {"--help", "", "show this help and exit", [](Options& o, const std::string&) { o.help = true; }},
    {"--version", "", "show the version and exit", [](Options& o, const std::string&) { o.version = true; }},
};

}  // namespace

bool parseOptions(int p_nArgc, char** p_ppArgv, Options& p_stOptions, std::string& p_strError) {
    for (int i = 1; i < p_nArgc; ++i) {
        std::string strArg = p_ppArgv[i];
        std::string strValue;
        bool bInlineValue = false;
        const size_t nEquals = strArg.find('=');
        if (strArg.compare(0, 2, "--") == 0 && nEquals != std::string::npos) {
            strValue = strArg.substr(nEquals + 1);
            strArg = strArg.substr(0, nEquals);
            bInlineValue = true;
        }
        if (strArg == "-h") strArg = "--help";
        const OptionEntry* pEntry = nullptr;
        for (const OptionEntry& entry : OPTIONS)
            if (strArg == entry.name) pEntry = &entry;
        if (pEntry == nullptr) {
            p_strError = "unknown option '" + strArg + "' (see --help)";
            return false;
        }
        const bool bTakesValue = pEntry->argument[0] != '\0';
        if (bTakesValue && !bInlineValue) {
            if (i + 1 >= p_nArgc) {
                p_strError = "option " + strArg + " needs " + pEntry->argument;
                return false;
            }
            strValue = p_ppArgv[++i];
        } else if (!bTakesValue && bInlineValue) {
            p_strError = "option " + strArg + " takes no value";
            return false;
        }
        try {
            pEntry->apply(p_stOptions, strValue);
        } catch (const InputError& e) {
            p_strError = std::string("option ") + pEntry->name + ": " + e.what();
            return false;
        }
    }
    return true;
}

std::string optionsHelp() {
    std::string strText;
    for (const OptionEntry& entry : OPTIONS) {
        std::string strHead = std::string(entry.name) == "--help" ? "  -h, --help" : std::string("  ") + entry.name;
        if (entry.argument[0] != '\0') strHead += std::string(" ") + entry.argument;
        strText += wrapHelp(strHead, entry.help, 22);
    }
    return strText;
}

}  // namespace sensorsim
