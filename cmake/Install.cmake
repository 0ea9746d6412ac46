# Install rules: the library, its headers, a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS sensordll EXPORT sensordllTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll)
install(DIRECTORY include/sensordll/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll)

# The replacements install as a component of their own, for desktop builds
# that run the library against the simulated host and ISP.
install(TARGETS zthost ispsim EXPORT sensordllTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT simulation)
install(DIRECTORY replacements/host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zthost COMPONENT simulation)
install(DIRECTORY replacements/isp/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ispsim COMPONENT simulation)

install(EXPORT sensordllTargets NAMESPACE sensordll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
configure_package_config_file(cmake/sensordllConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/sensordllConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/sensordll)

configure_file(cmake/sensordll.pc.in ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sensordll.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
