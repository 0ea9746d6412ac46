// System configuration: the controller's record of its module configuration,
// scheme count, device type and merged UI style.
#ifndef SENSORDLL_SENSOR_H
#define SENSORDLL_SENSOR_H

#include "ModuleConfigure.h"
#include "SensorExport.h"
#include "SensorTypes.h"

SENSORDLL_API int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
SENSORDLL_API void uinitSysConf(SysConfig* p_stSysConf);

#endif
