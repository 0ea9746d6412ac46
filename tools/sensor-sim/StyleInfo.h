// What the channel's user interface offers for each key: the title, the
// range or options and the default of the key's element in the style the
// controller builds for the UI (getUIStyleFile), fitted to the sensor in use.
// The simulator reads them there, as the web page does, and restates none.
#ifndef SENSOR_SIM_STYLE_INFO_H
#define SENSOR_SIM_STYLE_INFO_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Session.h"

namespace sensorsim {

struct StyleParam {
    std::string title;
    std::string type;  // slider, spin, combo, switch, hidden, button, notice
    bool hasDefault = false;
    long long defaultValue = 0;
    bool hasRange = false;  // min and max given
    long long min = 0;
    long long max = 0;
    std::vector<std::pair<long long, std::string>> options;  // index, text
};

typedef std::map<unsigned int, StyleParam> StyleParams;

// The parameter elements of a style document by key; the first element of a
// key that holds a value wins (a notice may share a hidden key's id). False
// when the text does not parse.
bool readStyleParams(const std::string& p_strStyle, StyleParams& p_mapParams);
// The current channel's style. Its ISP calls are not shown as the command's.
StyleParams queryStyleParams(Session& p_objSession);

// "min=0 max=100", "options=0,1,2" or "" when the element allows anything.
std::string describeAllowed(const StyleParam& p_stParam);
// Why the value is outside what the element allows; "" when it is inside.
std::string outsideAllowed(const StyleParam& p_stParam, long long p_nValue);

}  // namespace sensorsim

#endif
