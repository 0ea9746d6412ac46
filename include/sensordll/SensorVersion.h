// The library's version, the project's one version number: the build reads it
// from here for the shared library's file names, the packages and every
// program's --version.
#ifndef SENSORDLL_SENSOR_VERSION_H
#define SENSORDLL_SENSOR_VERSION_H

#define SENSORDLL_VERSION_MAJOR 1
#define SENSORDLL_VERSION_MINOR 1
#define SENSORDLL_VERSION_PATCH 0

#define SENSORDLL_VERSION_STRINGIFY_(x) #x
#define SENSORDLL_VERSION_STRINGIFY(x) SENSORDLL_VERSION_STRINGIFY_(x)
// "1.1.0"
#define SENSORDLL_VERSION                                \
    SENSORDLL_VERSION_STRINGIFY(SENSORDLL_VERSION_MAJOR) \
    "." SENSORDLL_VERSION_STRINGIFY(SENSORDLL_VERSION_MINOR) "." SENSORDLL_VERSION_STRINGIFY(SENSORDLL_VERSION_PATCH)
// One number that compares: 10100 for 1.1.0.
#define SENSORDLL_VERSION_NUMBER \
    (SENSORDLL_VERSION_MAJOR * 10000 + SENSORDLL_VERSION_MINOR * 100 + SENSORDLL_VERSION_PATCH)

#endif
