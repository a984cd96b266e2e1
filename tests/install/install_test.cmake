# Installs the build into a fresh prefix under WORK_DIR, checks what landed where, compiles
# every installed header against the installed tree alone, then configures, builds and runs
# the consumer project against the package. For Windows (WINDOWS true) the consumer is
# cross-built with the build's toolchain and every program runs under Wine (WINE_RUN).
# cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DLIBDIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=...
#       -DBUILD_TYPE=... -DCXX_FLAGS=... -DJSONCPP_INCLUDE=... -DVERSION=... -DVERSION_MAJOR=...
#       [-DWINDOWS=1 -DTOOLCHAIN=... -DWINDOWS_DEPS=... -DWINE_RUN=...] -P install_test.cmake

# Runs in WORK_DIR, where the service and orvhost write their logs.
function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# What a user finds after installing; the machine's control API and the stand-ins' headers
# stay behind.
set(expected
  ${LIBDIR}/cmake/orvservice/orvserviceConfig.cmake
  ${LIBDIR}/cmake/orvservice/orvserviceConfigVersion.cmake
  include/orvservice/service/entry_points.h
  include/orvservice/shared/version.h
  include/orvservice/winapi/windows_api.h)
set(private include/orvservice/winapi/control include/orvservice/winapi/machine
            include/orvservice/sim include/orvservice/platform)
if(WINDOWS)
  # Windows finds a program's DLLs in the program's own folder: all of them sit in bin.
  list(APPEND expected bin/orvservice.dll bin/orvsim.dll bin/orvsvc.exe bin/libjsoncpp.dll
       bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll bin/libwinpthread-1.dll
       ${LIBDIR}/liborvservice.dll.a)
  # Windows has the Win32 names itself.
  list(APPEND private include/orvservice/winapi/win32)
else()
  list(APPEND expected bin/orvhost ${LIBDIR}/liborvservice.so ${LIBDIR}/liborvservice.so.${VERSION_MAJOR}
       ${LIBDIR}/liborvservice.so.${VERSION} ${LIBDIR}/liborvsim.so
       ${LIBDIR}/liborvwinapi.so share/orvservice/scenarios/startup-ready-machine.json
       share/doc/orvservice/scenarios.md)
endif()
foreach(path ${expected})
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
foreach(path ${private})
  if(EXISTS ${prefix}/${path})
    message(FATAL_ERROR "installed but private: ${path}")
  endif()
endforeach()

if(WINDOWS)
  # The installed host starts from the installed folder alone (its usage exits 0).
  set(ENV{WINEPATH} "")
  run(${WINE_RUN} ${prefix}/bin/orvsvc.exe --help)
else()
  # The installed libraries find each other through their own run path, with no help from
  # the environment or the build tree.
  foreach(library liborvservice.so liborvsim.so)
    run(ldd ${prefix}/${LIBDIR}/${library})
    if(run_output MATCHES "not found")
      message(FATAL_ERROR "${library} does not find its libraries:\n${run_output}")
    endif()
    foreach(sibling liborvsim.so liborvwinapi.so)
      string(FIND "${run_output}" "${sibling} => ${prefix}/${LIBDIR}/" at)
      if(NOT library STREQUAL sibling AND at EQUAL -1)
        message(FATAL_ERROR "${library} finds ${sibling} outside the prefix:\n${run_output}")
      endif()
    endforeach()
  endforeach()

  # The installed orvhost runs an installed scenario.
  file(GLOB scenarios ${prefix}/share/orvservice/scenarios/*.json)
  run(${prefix}/bin/orvhost check ${scenarios})
  run(${prefix}/bin/orvhost run ${prefix}/share/orvservice/scenarios/startup-ready-machine.json)
endif()

# Each installed header includes only installed headers (and jsoncpp's), and asks for no more
# than the C++17 that the package promises.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/orvservice ${prefix}/include/orvservice/*.h)
set(all_headers ${WORK_DIR}/all_headers.cpp)
file(WRITE ${all_headers} "")
foreach(header ${headers})
  file(APPEND ${all_headers} "#include \"${header}\"\n")
endforeach()
separate_arguments(flags UNIX_COMMAND "${CXX_FLAGS}")
run(${CXX} -std=c++17 ${flags} -fsyntax-only -I${prefix}/include/orvservice -I${JSONCPP_INCLUDE}
    ${all_headers})

set(consumer_args -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_FLAGS=${CXX_FLAGS})
if(WINDOWS)
  # The toolchain searches packages only under its own roots, so the package is named by its
  # folder; jsoncpp comes from the Windows dependencies, as for the build.
  list(APPEND consumer_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DORV_WINDOWS_DEPS=${WINDOWS_DEPS}
       -Dorvservice_DIR=${prefix}/${LIBDIR}/cmake/orvservice)
  set(consumer ${WINE_RUN} ${WORK_DIR}/consumer/consumer.exe)
  # The consumer finds the installed DLLs through the search path, as a program installed
  # elsewhere on Windows would through PATH.
  string(REPLACE "/" "\\" bin "Z:${prefix}/bin")
  set(ENV{WINEPATH} "${bin}")
else()
  list(APPEND consumer_args -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
  set(consumer ${WORK_DIR}/consumer/consumer)
endif()
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR} ${consumer_args})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
file(REMOVE ${WORK_DIR}/OrvService.log)
run(${consumer})
message(STATUS "${run_output}")
# The entry points did start and stop a service, not return early.
file(READ ${WORK_DIR}/OrvService.log log)
foreach(line "OrvClientService::OnStart: Service is starting"
             "OrvClientService::OnStop: Service stopped")
  string(FIND "${log}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the consumer's service log lacks \"${line}\":\n${log}")
  endif()
endforeach()
