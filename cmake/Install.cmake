# Install rules in four components:
#   Runtime      the versioned library files, what a firmware image takes;
#   Development  headers, the namelink, the CMake package and pkg-config files;
#   Tools        the programs, their device data and man pages (tools/);
#   Simulation   the host framework and ISP replacements, for desktops.
# A firmware build has no replacements, so no Simulation component.
include(CMakePackageConfigHelpers)

install(TARGETS sensordll EXPORT sensordllTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development)
install(DIRECTORY include/sensordll/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll COMPONENT Development)

if(SENSORDLL_SIMULATION)
  install(TARGETS zthost ispsim zthost_headers ispsim_headers EXPORT sensordllSimulationTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Simulation)
  install(DIRECTORY replacements/host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zthost COMPONENT Simulation)
  install(DIRECTORY replacements/isp/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ispsim COMPONENT Simulation)
endif()

install(EXPORT sensordllTargets NAMESPACE sensordll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll
  COMPONENT Development)
if(SENSORDLL_SIMULATION)
  install(EXPORT sensordllSimulationTargets NAMESPACE sensordll::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll COMPONENT Simulation)
endif()
configure_package_config_file(cmake/sensordllConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll COMPONENT Development)

# The pkg-config files find the prefix from where they lie, so that an
# install with --prefix or DESTDIR into a firmware staging tree stays usable.
file(RELATIVE_PATH SENSORDLL_PC_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" SENSORDLL_PC_PREFIX "${SENSORDLL_PC_PREFIX}")
configure_file(cmake/sensordll.pc.in ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT Development)
if(SENSORDLL_SIMULATION)
  configure_file(cmake/sensordll-simulation.pc.in ${CMAKE_CURRENT_BINARY_DIR}/sensordll-simulation.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordll-simulation.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Simulation)
endif()
