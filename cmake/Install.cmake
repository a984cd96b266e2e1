# Install rules and the CMake package (find_package(orvservice)), Linux only for now.
# Installs liborvservice with the libraries it runs on here (the simulated machine and the
# stand-ins), the headers a caller of the entry points and the exported shared types needs,
# and orvhost with its scenarios and manual.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/orvservice)
set(ORV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/orvservice)

# On Linux liborvwinapi and liborvsim are the platform liborvservice runs on: installed side
# by side, each finds the others in its own folder.
set_target_properties(orvservice orvsim orvwinapi PROPERTIES INSTALL_RPATH "$ORIGIN")
file(RELATIVE_PATH _orv_bin_to_lib ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
set_target_properties(orvhost PROPERTIES INSTALL_RPATH "$ORIGIN/${_orv_bin_to_lib}")

install(TARGETS orvservice orvsim orvwinapi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS orvhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The entry points, the exported shared types and what they include: the Win32 names they use
# (winapi/posix, not the machine's control API in winapi/sim). tests/install compiles them
# against the installed tree alone.
set(_orv_public_headers
  service/entry_points.h
  shared/agent_factory.h
  shared/agent_initializer.h
  shared/agent_interfaces_fwd.h
  shared/com_init.h
  shared/core_utility.h
  shared/device_info_provider.h
  shared/diagnostics_tests.h
  shared/ecc_encryption.h
  shared/export.h
  shared/log_throttler.h
  shared/machine_information.h
  shared/named_pipe.h
  shared/notification_data.h
  shared/operational_event.h
  shared/operational_events_manager.h
  shared/orv_helper_factory.h
  shared/orv_info.h
  shared/orv_status_manager.h
  shared/orvcore_types.h
  shared/persona_utility.h
  shared/region_information.h
  shared/send_telemetry_command_handler.h
  shared/stateless_helpers.h
  shared/thread_garbage_collector.h
  shared/version.h
  shared/win32_mutex_lock.h
  winapi/posix/com.h
  winapi/posix/errors.h
  winapi/posix/eventlog.h
  winapi/posix/registry.h
  winapi/posix/services.h
  winapi/posix/sync.h
  winapi/posix/system.h
  winapi/posix/threadpool.h
  winapi/posix/time.h
  winapi/posix/types.h
  winapi/windows_api.h)
foreach(header ${_orv_public_headers})
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${header} DESTINATION ${ORV_INSTALL_INCLUDEDIR}/${dir})
endforeach()

set(ORV_SERVICE_LIBRARY_FILE
    ${CMAKE_SHARED_LIBRARY_PREFIX}orvservice${CMAKE_SHARED_LIBRARY_SUFFIX})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/orvserviceConfig.cmake.in
  ${PROJECT_BINARY_DIR}/orvserviceConfig.cmake
  INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR ORV_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orvserviceConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/orvserviceConfig.cmake
  ${PROJECT_BINARY_DIR}/orvserviceConfigVersion.cmake
  DESTINATION ${ORV_INSTALL_CMAKEDIR})

file(GLOB _orv_scenarios ${PROJECT_SOURCE_DIR}/scenarios/*.json)
install(FILES ${_orv_scenarios} DESTINATION ${CMAKE_INSTALL_DATADIR}/orvservice/scenarios)
install(FILES ${PROJECT_SOURCE_DIR}/docs/scenarios.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
