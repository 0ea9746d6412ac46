# Install rules: the library, its headers, a CMake package and pkg-config
# files.
include(CMakePackageConfigHelpers)

install(TARGETS sensordll EXPORT sensordllTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/sensordll/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll)

# The replacements install as a component of their own, for desktop builds
# that run the library against the simulated host and ISP; a firmware build
# installs without it (cmake --install --component Unspecified) and links the
# camera's own host framework and ISP library. A build with
# SENSORDLL_SIMULATION OFF has no replacements to install.
if(SENSORDLL_SIMULATION)
  install(TARGETS zthost ispsim zthost_headers ispsim_headers EXPORT sensordllSimulationTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT simulation)
  install(DIRECTORY replacements/host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zthost COMPONENT simulation)
  install(DIRECTORY replacements/isp/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ispsim COMPONENT simulation)
endif()

install(EXPORT sensordllTargets NAMESPACE sensordll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
if(SENSORDLL_SIMULATION)
  install(EXPORT sensordllSimulationTargets NAMESPACE sensordll::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll COMPONENT simulation)
endif()
configure_package_config_file(cmake/sensordllConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)

# The pkg-config files find the prefix from where they lie, so that an
# install with --prefix or DESTDIR into a firmware staging tree stays usable.
file(RELATIVE_PATH SENSORDLL_PC_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" SENSORDLL_PC_PREFIX "${SENSORDLL_PC_PREFIX}")
configure_file(cmake/sensordll.pc.in ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(SENSORDLL_SIMULATION)
  configure_file(cmake/sensordll-simulation.pc.in ${CMAKE_CURRENT_BINARY_DIR}/sensordll-simulation.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordll-simulation.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT simulation)
endif()
