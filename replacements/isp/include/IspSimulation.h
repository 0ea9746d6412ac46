// Control surface of the ISP replacement for tests and the simulator.
//
// Per channel the simulated ISP keeps the value set for each command and
// returns it on get, answers range (2), correction (3) and status (4) requests
// and the dynamic command list (4112) from a sensor profile, answers the
// day/night query (153) from a state the caller sets, and accepts the sensor
// check (2816). Every call is recorded. Any command can be made to fail.
// All functions are safe to call from several threads.
#ifndef ISP_ISP_SIMULATION_H
#define ISP_ISP_SIMULATION_H

#include <stdint.h>

#include <string>
#include <vector>

#include "ia_ioctrl.h"

namespace ispsim {

struct Call {
    int channel;
    int cmd;
    unsigned int option;
    std::vector<uint8_t> dataIn;   // the data as passed
    std::vector<uint8_t> dataOut;  // the data as the ISP left it
    int status;

    // The first 32-bit word of the data, as passed / as returned (0 if none).
    int32_t valueIn() const;
    int32_t valueOut() const;
    // Word i of the data as passed.
    int32_t wordIn(size_t p_nIndex) const;
};

// One command's range in a sensor profile.
struct Range {
    int cmd;
    int attrType;
    int defaultValue;
    int minValue;
    int maxValue;
    std::vector<int> items;
};

struct SensorProfile {
    std::string name;
    std::vector<Range> ranges;                       // the dynamic command list, in this order
    std::vector<std::pair<int, int>> initialValues;  // command, value
    std::string lensVersion;                         // answer of command 2496
    int sensorCheckAnswer = 1;                       // answer word of command 2816 with option 1
};

// Reads a sensor profile document:
//   <sensorProfile name="IMX327">
//     <range cmd="49" type="0" default="8" min="1" max="12" items="1 2 4 8 12"/>
//     <value cmd="1607" value="36"/>
//     <lensVersion>LENS-2.8-12-V1.4</lensVersion>
//     <sensorCheck answer="1"/>
//   </sensorProfile>
bool loadProfile(const std::string& p_strPath, SensorProfile& p_stProfile);

// Forget everything: values, profiles, faults, recorded calls, day/night state.
void reset();
void setProfile(int p_nChannel, const SensorProfile& p_stProfile);
// Loads the document at p_strPath (a plain path, not a camera path).
bool setProfileFromFile(int p_nChannel, const std::string& p_strPath);

void setDayNightState(int p_nChannel, int p_nState);
void setValue(int p_nChannel, int p_nCmd, int32_t p_nValue);
// false when nothing was set for the command.
bool value(int p_nChannel, int p_nCmd, int32_t& p_nValue);
// The last record set for the command (for record commands such as 145/149).
std::vector<uint8_t> record(int p_nChannel, int p_nCmd);

// Every later call of the command on the channel (any channel with -1) returns
// p_nStatus and changes nothing. 0 clears the fault.
void failCommand(int p_nChannel, int p_nCmd, int p_nStatus);
// The next p_nCount calls of any command succeed, every later one fails with
// p_nStatus; a negative count clears it. Used to fail the Nth call in turn.
void failAfterCalls(long p_nCount, int p_nStatus);
void clearFaults();

std::vector<Call> calls();
void clearCalls();
// Recorded calls of one command with option set (0), in order.
std::vector<Call> setCalls(int p_nCmd);

// Called after each call, outside the ISP's own lock; for tracing.
typedef void (*CallObserver)(const Call& p_stCall, void* p_pContext);
void setCallObserver(CallObserver p_pObserver, void* p_pContext);

}  // namespace ispsim

#endif
