# Debian's packages: TinyXML 2.6 (libtinyxml-dev), GoogleTest, Google Benchmark,
# nlohmann-json (nlohmann-json3-dev) for the tools.
find_package(Threads REQUIRED)

# Debian's tinyxml.h defines TIXML_USE_STL itself; the define here keeps every
# user of the header on the STL build even with another copy of the header.
find_path(TINYXML_INCLUDE_DIR tinyxml.h REQUIRED)
find_library(TINYXML_LIBRARY tinyxml REQUIRED)
add_library(tinyxml::tinyxml UNKNOWN IMPORTED)
set_target_properties(tinyxml::tinyxml PROPERTIES
  IMPORTED_LOCATION ${TINYXML_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${TINYXML_INCLUDE_DIR}
  INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)

# The tests and benchmarks run on the simulated host only.
if(SENSORDLL_BUILD_TESTS AND SENSORDLL_SIMULATION)
  find_package(GTest REQUIRED)
endif()
if(SENSORDLL_BUILD_BENCH AND SENSORDLL_SIMULATION)
  find_package(benchmark REQUIRED)
endif()
# The tools' JSON output; header only, so the firmware build needs it only
# where it builds the tools.
if(SENSORDLL_BUILD_TOOLS)
  find_package(nlohmann_json 3 REQUIRED)
endif()
