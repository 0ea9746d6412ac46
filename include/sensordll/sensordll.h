// Everything libsensordll exports: the controller class, its free functions,
// records and globals.
#ifndef SENSORDLL_SENSORDLL_H
#define SENSORDLL_SENSORDLL_H

#include "ISensorController.h"
#include "SensorDebug.h"
#include "SensorFile.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "SensorTypes.h"
#include "SensorVersion.h"
#include "sensor.h"

#endif
