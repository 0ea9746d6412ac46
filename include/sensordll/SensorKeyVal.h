// Text forms of parameter records, and their correction by the ISP.
#ifndef SENSORDLL_SENSOR_KEY_VAL_H
#define SENSORDLL_SENSOR_KEY_VAL_H

#include <string>

#include "SensorExport.h"
#include "SensorTypes.h"

// Appends "(key,value)" per record to p_strOut.
SENSORDLL_API void keyval_st2str(std::string& p_strOut, const KeyVal* p_pKeyval, u32 p_nKeyValSum);

// Parses "(key,value)" items into p_pKeyval, writing at most p_nCapacity
// records; *p_pnKeyValSum receives the number written. Returns false when the
// text holds more items than the capacity (the first p_nCapacity are written).
SENSORDLL_API bool keyval_str2st(const std::string& p_strIn, KeyVal* p_pKeyval, u32* p_pnKeyValSum, u32 p_nCapacity);

// Lets the ISP of channel p_nChannel_id (counted from 0) correct, in place,
// every value whose key its dynamic command list names. 0, or -1 for a null
// array.
SENSORDLL_API int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValSum);

#endif
