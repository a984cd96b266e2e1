# Install rules and the CMake package (find_package(orvservice)).
# On Linux: liborvservice with the libraries it runs on here (the simulated machine and the
# stand-ins), and orvhost with its scenarios and manual. On Windows: orvservice.dll with its
# import library, the stand-ins' DLL, orvsvc.exe and the runtime DLLs they load, side by side
# in bin as Windows finds them. Both: the headers a caller of the entry points and the
# exported shared types needs.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/orvservice)
set(ORV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/orvservice)

if(WIN32)
  # orvsim's import library stays behind: nothing but orvservice.dll links against it.
  install(TARGETS orvservice RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
                             ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES $<TARGET_FILE:orvsim> DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS orvsvc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ORV_WINDOWS_RUNTIME_DLLS)
    install(FILES ${ORV_WINDOWS_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  set(ORV_SERVICE_LOCATION ${CMAKE_INSTALL_BINDIR}/orvservice.dll)
  set(ORV_SERVICE_IMPLIB
      ${CMAKE_INSTALL_LIBDIR}/${CMAKE_IMPORT_LIBRARY_PREFIX}orvservice${CMAKE_IMPORT_LIBRARY_SUFFIX})
else()
  # On Linux liborvwinapi and liborvsim are the platform liborvservice runs on: installed side
  # by side, each finds the others in its own folder.
  set_target_properties(orvservice orvsim orvwinapi PROPERTIES INSTALL_RPATH "$ORIGIN")
  file(RELATIVE_PATH _orv_bin_to_lib ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(orvhost PROPERTIES INSTALL_RPATH "$ORIGIN/${_orv_bin_to_lib}")

  install(TARGETS orvservice orvsim orvwinapi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(TARGETS orvhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(ORV_SERVICE_LOCATION ${CMAKE_INSTALL_LIBDIR}/liborvservice.so.${PROJECT_VERSION})
  set(ORV_SERVICE_SONAME liborvservice.so.${PROJECT_VERSION_MAJOR})
  set(ORV_SERVICE_IMPLIB "")
endif()

# The entry points, the exported shared types and what they include: the Win32 names they use
# (on Windows the platform's own; elsewhere winapi/win32, not the machine's control API in
# winapi/control). tests/install compiles them against the installed tree alone.
set(_orv_public_headers
  service/entry_points.h
  shared/agent_factory.h
  shared/agent_initializer.h
  shared/agent_interfaces_fwd.h
  shared/client_vocabulary.h
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
  winapi/windows_api.h)
if(NOT WIN32)
  list(APPEND _orv_public_headers
    winapi/win32/com.h
    winapi/win32/errors.h
    winapi/win32/eventlog.h
    winapi/win32/registry.h
    winapi/win32/services.h
    winapi/win32/sync.h
    winapi/win32/system.h
    winapi/win32/threadpool.h
    winapi/win32/time.h
    winapi/win32/types.h)
endif()
foreach(header ${_orv_public_headers})
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${header} DESTINATION ${ORV_INSTALL_INCLUDEDIR}/${dir})
endforeach()

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/orvserviceConfig.cmake.in
  ${PROJECT_BINARY_DIR}/orvserviceConfig.cmake
  INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR}
  PATH_VARS ORV_SERVICE_LOCATION ORV_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orvserviceConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/orvserviceConfig.cmake
  ${PROJECT_BINARY_DIR}/orvserviceConfigVersion.cmake
  DESTINATION ${ORV_INSTALL_CMAKEDIR})

if(NOT WIN32)
  file(GLOB _orv_scenarios ${PROJECT_SOURCE_DIR}/scenarios/*.json)
  install(FILES ${_orv_scenarios} DESTINATION ${CMAKE_INSTALL_DATADIR}/orvservice/scenarios)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/scenarios.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
