// The simulator's own output, kept apart from the library's.
//
// The library prints its diagnostics on standard output. The simulator writes
// through a stream of its own on a copy of the same descriptor, flushing the
// library's buffer first, so that both appear in the order they happened;
// every simulator line starts with "sim" so that it stands out. In quiet mode
// the library's standard output goes to /dev/null and only the simulator's
// lines remain. Errors go to standard error.
#ifndef SENSOR_SIM_OUTPUT_H
#define SENSOR_SIM_OUTPUT_H

#include <string>

namespace sensorsim {
namespace out {

// Call once before the library prints anything.
bool init(bool p_bQuiet);

// "sim: <text>" on a line of its own.
void line(const std::string& p_strText);
// printf-style form of line.
void linef(const char* p_szFormat, ...) __attribute__((format(printf, 1, 2)));
// "sim> <command>", the echo of a scripted command.
void command(const std::string& p_strCommand);
// Text as it stands (a style document, the prompt).
void raw(const std::string& p_strText);
// "sensor-sim: <where>: error: <message>" on standard error; where may be "".
void error(const std::string& p_strWhere, const std::string& p_strMessage);

}  // namespace out
}  // namespace sensorsim

#endif
