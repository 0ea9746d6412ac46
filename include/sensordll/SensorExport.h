// Symbol visibility of libsensordll: everything is hidden unless marked here,
// so the shared object exports exactly the host-facing interface.
#ifndef SENSORDLL_SENSOR_EXPORT_H
#define SENSORDLL_SENSOR_EXPORT_H

#if defined(__GNUC__)
#define SENSORDLL_API __attribute__((visibility("default")))
#define SENSORDLL_LOCAL __attribute__((visibility("hidden")))
#else
#define SENSORDLL_API
#define SENSORDLL_LOCAL
#endif

#endif
