// Running commands: from text (-c, a script, piped input) or at a prompt.
// Each command is looked up in the command table, its words are checked, it
// runs, and what it caused (files, and with tracing ISP calls and video
// notifications) is shown after its result.
#ifndef SENSOR_SIM_COMMAND_RUNNER_H
#define SENSOR_SIM_COMMAND_RUNNER_H

#include <mutex>
#include <string>

#include "CommandParser.h"
#include "Session.h"

namespace sensorsim {

// After SIGINT, SIGTERM or SIGHUP a scripted run ends once the command that
// runs has finished, so that the controllers are taken down and a temporary
// root is removed as at a normal end. At a prompt SIGINT (Ctrl-C) only clears
// the line being typed, or cuts short the line of commands that runs (a `run`
// at once) and returns to the prompt; SIGTERM and SIGHUP end the session.
void installStopSignals();
bool stopRequested();
// SIGTERM or SIGHUP, as opposed to SIGINT alone.
bool terminateRequested();

// One lock for the session: every statement runs under it, and so does every
// request of the http server, so that a command and a request never act at
// once. The prompt reads its line without it.
std::mutex& sessionMutex();
// Grows after every statement and every changing request, so that a page that
// polls it reloads the camera's state only when something may have changed.
unsigned long sessionRevision();
void bumpSessionRevision();

// One statement, under the session mutex; where names it in error messages ("" at the prompt). False
// when it failed.
bool runStatement(Session& p_objSession, const Statement& p_stStatement, const std::string& p_strWhere, bool p_bEcho);
// All statements of a text until one quits; the number that failed.
// p_strSource is the script's name, or "" for -c text.
int runText(Session& p_objSession, const std::string& p_strText, const std::string& p_strSource);
// Reads commands at a terminal's prompt, with line editing and history (in
// memory), until quit, Ctrl-D or SIGTERM. A failed command has said so on its
// own line; the session goes on.
void runPrompt(Session& p_objSession);

}  // namespace sensorsim

#endif
