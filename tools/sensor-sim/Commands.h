// The simulator's commands: one table, declared once, from which dispatch,
// `help` and --help derive; and the handlers, grouped by what they drive.
//
// A handler gets the words after the command's name (their count already
// checked against the table), throws InputError before it changes anything
// when a word does not read, prints its result lines, and returns false when
// the library reported a failure.
#ifndef SENSOR_SIM_COMMANDS_H
#define SENSOR_SIM_COMMANDS_H

#include <string>
#include <vector>

#include "Session.h"

namespace sensorsim {

typedef std::vector<std::string> Args;
typedef bool (*CommandHandler)(Session& p_objSession, const Args& p_vecArgs);

struct CommandEntry {
    const char* name;
    const char* arguments;  // usage of the arguments, "" for none
    const char* help;
    int minArgs;
    int maxArgs;  // -1: no limit
    CommandHandler run;
};

const std::vector<CommandEntry>& commandTable();
// By name or alias; null when unknown.
const CommandEntry* findCommand(const std::string& p_strName);
// One entry per command, for `help` and --help.
std::string commandsHelp();

// Parameters: CommandsParams.cpp
bool runSet(Session& p_objSession, const Args& p_vecArgs);
bool runGet(Session& p_objSession, const Args& p_vecArgs);
bool runSetText(Session& p_objSession, const Args& p_vecArgs);
bool runIds(Session& p_objSession, const Args& p_vecArgs);
bool runAll(Session& p_objSession, const Args& p_vecArgs);
bool runKeys(Session& p_objSession, const Args& p_vecArgs);
bool runRange(Session& p_objSession, const Args& p_vecArgs);
bool runRestore(Session& p_objSession, const Args& p_vecArgs);

// Schemes, saving and the sensor thread: CommandsSchemes.cpp
bool runScheme(Session& p_objSession, const Args& p_vecArgs);
bool runMode(Session& p_objSession, const Args& p_vecArgs);
bool runFlush(Session& p_objSession, const Args& p_vecArgs);
bool runRevert(Session& p_objSession, const Args& p_vecArgs);
bool runReset(Session& p_objSession, const Args& p_vecArgs);
bool runPass(Session& p_objSession, const Args& p_vecArgs);
bool runThreads(Session& p_objSession, const Args& p_vecArgs);
bool runTime(Session& p_objSession, const Args& p_vecArgs);
bool runDayNight(Session& p_objSession, const Args& p_vecArgs);
bool runCheck(Session& p_objSession, const Args& p_vecArgs);

// UI style, lens, lights and shutter: CommandsDevice.cpp
bool runStyle(Session& p_objSession, const Args& p_vecArgs);
bool runZoom(Session& p_objSession, const Args& p_vecArgs);
bool runFocus(Session& p_objSession, const Args& p_vecArgs);
bool runIris(Session& p_objSession, const Args& p_vecArgs);
bool runLight(Session& p_objSession, const Args& p_vecArgs);
bool runShutter(Session& p_objSession, const Args& p_vecArgs);

// The session itself: CommandsSession.cpp
bool runChannel(Session& p_objSession, const Args& p_vecArgs);
bool runStatus(Session& p_objSession, const Args& p_vecArgs);
bool runTrace(Session& p_objSession, const Args& p_vecArgs);
bool runDebug(Session& p_objSession, const Args& p_vecArgs);
bool runFiles(Session& p_objSession, const Args& p_vecArgs);
bool runEcho(Session& p_objSession, const Args& p_vecArgs);
bool runHelp(Session& p_objSession, const Args& p_vecArgs);
bool runQuit(Session& p_objSession, const Args& p_vecArgs);

}  // namespace sensorsim

#endif
