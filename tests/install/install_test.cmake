# Installs the build into a fresh prefix under WORK_DIR, checks what landed where, compiles
# every installed header against the installed tree alone, then configures, builds and runs
# the consumer project against the package.
# cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DLIBDIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=...
#       -DBUILD_TYPE=... -DCXX_FLAGS=... -DJSONCPP_INCLUDE=... -P install_test.cmake

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
  bin/orvhost
  ${LIBDIR}/liborvservice.so
  ${LIBDIR}/liborvsim.so
  ${LIBDIR}/liborvwinapi.so
  ${LIBDIR}/cmake/orvservice/orvserviceConfig.cmake
  ${LIBDIR}/cmake/orvservice/orvserviceConfigVersion.cmake
  include/orvservice/service/entry_points.h
  include/orvservice/shared/version.h
  include/orvservice/winapi/windows_api.h
  share/orvservice/scenarios/startup-ready-machine.json
  share/doc/orvservice/scenarios.md)
foreach(path ${expected})
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
foreach(path include/orvservice/winapi/sim include/orvservice/winapi/machine
             include/orvservice/sim include/orvservice/platform)
  if(EXISTS ${prefix}/${path})
    message(FATAL_ERROR "installed but private: ${path}")
  endif()
endforeach()

# The installed libraries find each other through their own run path, with no help from the
# environment or the build tree.
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

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_FLAGS=${CXX_FLAGS}
    -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
file(REMOVE ${WORK_DIR}/OrvService.log)
run(${WORK_DIR}/consumer/consumer)
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
