// The command table.
#include "Commands.h"

#include "Values.h"

namespace sensorsim {

namespace {

const std::vector<CommandEntry> COMMANDS = {
    // name, arguments, help, min and max argument count, handler
    {"set", "KEY VALUE [nosave]",
     "apply a parameter (key by number or name, e.g. 34 or brightness) and keep it in the current scheme; "
     "with nosave it is applied but not kept. A value outside the range or options of the channel's style is "
     "applied with a warning",
     2, 3, &runSet},
    {"get", "[-n] KEY...",
     "read parameters (from the current scheme, or from the ISP for keys outside it); -n: each value alone", 1, -1,
     &runGet},
    {"setkv", "TEXT", "apply a key/value text such as (34,60)(2337,128) and keep the values", 1, -1, &runSetText},
    {"ids", "LIST|KEY...", "read an id list such as (34,2337), or the keys given, as key/value text", 1, -1, &runIds},
    {"all", "[raw]", "all parameters of the current scheme (raw: the key/value text itself)", 0, 1, &runAll},
    {"keys", "[TEXT]",
     "the key table (keys whose names contain TEXT): key, name, ISP command, handler, and the title, range or "
     "options and default of the channel's style",
     0, 1,
     &runKeys},
    {"range", "KEY", "the default and allowed values the ISP gives for a range key (49, 50, 51, 55, 56, 82, 1537)", 1,
     1, &runRange},
    {"restore", "KEY|ae", "send a key's stored value to the ISP again; ae: the exposure and focus modes", 1, 1,
     &runRestore},
    {"scheme", "[N]", "show the current scheme, or make scheme N current (the factory set is the last number)", 0, 1,
     &runScheme},
    {"mode", "[0|1]",
     "show or set the parameter mode: 1 lets the sensor thread switch schemes, 0 keeps the host's choice", 0, 1,
     &runMode},
    {"flush", "", "save the current scheme to its scheme file", 0, 0, &runFlush},
    {"revert", "", "return to the saved values of the current scheme (resetToLastParameters)", 0, 0, &runRevert},
    {"reset", "", "factory reset: factory values, scheme files made again, controller restarted", 0, 0, &runReset},
    {"pass", "[N]", "run N passes (default 1) of every channel's sensor thread, at once", 0, 1, &runPass},
    {"run", "SECONDS [SCALE]",
     "let the real sensor threads run for SECONDS simulated seconds; SCALE shortens each second (0.01: 10 ms)", 1, 2,
     &runThreads},
    {"time", "[HH:MM|real]", "show or set the camera's clock (real: the machine's clock again)", 0, 1, &runTime},
    {"daynight", "[day|night|N]", "show or set the day/night state the ISP reports for the channel", 0, 1,
     &runDayNight},
    {"check", "LIST", "sensor check with the id list of three numbers, e.g. (5,2,0)", 1, 1, &runCheck},
    {"style", "[FILE]", "the UI style of the channel, to the terminal or into FILE", 0, 1, &runStyle},
    {"zoom", "in|out|get|set POSITION", "step the zoom, or read or set its motor position", 1, 2, &runZoom},
    {"focus", "near|far|get|set POSITION|mode [N]", "step the focus, read or set its position, or its mode", 1, 2,
     &runFocus},
    {"iris", "up|down|get|set VALUE", "step the iris, or read or set its opening (F-number x 256)", 1, 2, &runIris},
    {"light", "ir|white|whitemode|type [VALUE]",
     "show or set the infrared switch, the white-light switch or mode, or the light type (0 to 3)", 1, 2, &runLight},
    {"shutter", "up|down|get|set INDEX", "step the slowest shutter through the values the sensor allows", 1, 2,
     &runShutter},
    {"channel", "[N]", "show the channels, or choose the one the commands act on", 0, 1, &runChannel},
    {"status", "", "the summary of the channel, as at start-up", 0, 0, &runStatus},
    {"trace", "[on|off]", "show every ISP call and video notification a command causes", 0, 1, &runTrace},
    {"debug", "[LEVEL [abort]|off]",
     "show or set the library's debug level (writes /tmp/Debug.sign under the root; abort: failed assertions end "
     "the process; off: removes the file, level 1)",
     0, 2, &runDebug},
    {"files", "", "the files under the working root, by camera path", 0, 0, &runFiles},
    {"echo", "TEXT...", "print the text (for scripts)", 0, -1, &runEcho},
    {"help", "[COMMAND]", "the commands, or one command", 0, 1, &runHelp},
    {"quit", "", "end the session (also: exit)", 0, 0, &runQuit},
};

}  // namespace

const std::vector<CommandEntry>& commandTable() { return COMMANDS; }

const CommandEntry* findCommand(const std::string& p_strName) {
    const std::string strName = p_strName == "exit" ? "quit" : p_strName;
    for (const CommandEntry& entry : COMMANDS)
        if (strName == entry.name) return &entry;
    return nullptr;
}

std::string commandsHelp() {
    std::string strText;
    for (const CommandEntry& entry : COMMANDS) {
        std::string strHead = std::string("  ") + entry.name;
        if (entry.arguments[0] != '\0') strHead += std::string(" ") + entry.arguments;
        strText += wrapHelp(strHead, entry.help, 30);
    }
    return strText;
}

}  // namespace sensorsim
