# Debian's packages: TinyXML 2.6 (libtinyxml-dev), GoogleTest, Google Benchmark,
# and for the tools libedit (libedit-dev) and nlohmann-json (nlohmann-json3-dev).
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

# The simulator's prompt edits lines through libedit's readline-compatible
# API (a cross build finds the armhf libedit of multiarch).
if(SENSORDLL_BUILD_TOOLS AND SENSORDLL_SIMULATION)
  find_path(LIBEDIT_INCLUDE_DIR editline/readline.h REQUIRED)
  find_library(LIBEDIT_LIBRARY edit REQUIRED)
  add_library(libedit::libedit UNKNOWN IMPORTED)
  set_target_properties(libedit::libedit PROPERTIES
    IMPORTED_LOCATION ${LIBEDIT_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LIBEDIT_INCLUDE_DIR})
endif()
# The tools' JSON output; headers only, and the firmware build needs it only
# for sensordll-cfg.
if(SENSORDLL_BUILD_TOOLS)
  find_package(nlohmann_json 3 REQUIRED)
endif()
# The simulator's settings page: cpp-httplib (libcpp-httplib-dev, the compiled
# library found through pkg-config) serves it; nlohmann-json writes its answers.
if(SENSORDLL_BUILD_TOOLS AND SENSORDLL_SIMULATION)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
