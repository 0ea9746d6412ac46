// The simulator's own output, kept apart from the library's.
//
// The library prints its diagnostics on standard output. The simulator writes
// through a stream of its own on a copy of the same descriptor, flushing the
// library's buffer first, so that both appear in the order they happened;
// every simulator line starts with "sim" so that it stands out. In quiet mode
// the library's standard output goes to /dev/null and only the simulator's
// lines remain. Errors go to standard error.
//
// In JSON mode (--json) each command's answer is gathered and written as one
// JSON object on one line: its lines of text (without "sim: "), its warnings,
// its error and the fields the command adds. The shape is in the README.
#ifndef SENSOR_SIM_OUTPUT_H
#define SENSOR_SIM_OUTPUT_H

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace sensorsim {
namespace out {

// Call once before the library prints anything.
bool init(bool p_bQuiet, bool p_bJson = false);
bool json();
// The simulator's stream (the terminal's standard output even when quiet).
FILE* stream();

// "sim: <text>" on a line of its own.
void line(const std::string& p_strText);
// printf-style form of line.
void linef(const char* p_szFormat, ...) __attribute__((format(printf, 1, 2)));
// "sim> <command>", the echo of a scripted command.
void command(const std::string& p_strCommand);
// Text as it stands (a style document, the prompt).
void raw(const std::string& p_strText);
// "sensor-sim: <where>: error: <message>" on standard error; where may be "".
// Within an answer in JSON mode the answer's "error" instead.
void error(const std::string& p_strWhere, const std::string& p_strMessage);
// "sim: warning: <text>"; in JSON mode an entry of the answer's "warnings".
void warning(const std::string& p_strText);
// A value alone on its line (get -n); JSON mode leaves it to the fields.
void bare(const std::string& p_strText);

// Answers: what one command (or the start-up, or the end) printed, between
// begin and end. In text mode they only frame the output.
void beginAnswer(const std::string& p_strCommand, const std::vector<std::string>& p_vecArgs, int p_nChannel);
// p_nStatus: 0 done, 1 failed (the library said so), 2 not run (an error).
void endAnswer(int p_nStatus);
// Fields of the answer, in JSON mode only. After item() they go into a new
// entry of the answer's "items" list.
void field(const char* p_szName, long long p_nValue);
void field(const char* p_szName, const std::string& p_strValue);
void fieldFlag(const char* p_szName, bool p_bValue);
void fieldOptions(const char* p_szName, const std::vector<std::pair<long long, std::string>>& p_vecOptions);
void item();

}  // namespace out
}  // namespace sensorsim

#endif
