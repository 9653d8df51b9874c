# Headers, library, CMake package (find_package(qmerrlog) -> qmerrlog::qmerrlog) and pkg-config.
include(CMakePackageConfigHelpers)

install(TARGETS qmerrlog EXPORT qmerrlogTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/qmerrlog DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT qmerrlogTargets NAMESPACE qmerrlog::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qmerrlog)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/qmerrlogConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/qmerrlogConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qmerrlog)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/qmerrlogConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qmerrlogConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/qmerrlogConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qmerrlog)

# Relocatable: the prefix is found from where the .pc file lies, so the package
# works wherever `cmake --install --prefix` put it.
file(RELATIVE_PATH QM_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${CMAKE_CURRENT_LIST_DIR}/qmerrlog.pc.in ${CMAKE_CURRENT_BINARY_DIR}/qmerrlog.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qmerrlog.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
