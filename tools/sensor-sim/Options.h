// Command-line options of sensor-sim.
#ifndef SENSOR_SIM_OPTIONS_H
#define SENSOR_SIM_OPTIONS_H

#include <string>
#include <vector>

namespace sensorsim {

struct CommandSource {
    bool isScript;     // a script file, else command text given with -c
    std::string text;  // the file name or the commands
};

struct Options {
    std::string profile = "ir-bullet";
    std::string deviceRoot;
    std::string devicesDir;
    std::string workDir;
    bool keep = false;
    std::vector<CommandSource> sources;
    bool trace = false;
    bool quiet = false;
    bool hasDebugLevel = false;
    int debugLevel = 1;
    bool json = false;  // every answer one JSON object a line
    bool help = false;
    bool version = false;
    bool listProfiles = false;
    // --http [ADDR:]PORT: serve the settings page and the JSON API.
    bool http = false;
    std::string httpAddress = "127.0.0.1";
    int httpPort = 0;
    std::string webDir;  // the page's folder; "" for the built-in one
};

// False with a message when the command line is not understood.
bool parseOptions(int p_nArgc, char** p_ppArgv, Options& p_stOptions, std::string& p_strError);
// The options part of --help.
std::string optionsHelp();

}  // namespace sensorsim

#endif
