cmake_minimum_required(VERSION 3.25)

# The layer order of the sources, checked: every #include "..." in src/, host/ and orvsvc/
# must point to the file's own layer or to one below it that the table lets it use.
# docs/architecture.md has the picture; change the two together.
#   cmake -DSOURCE_DIR=<repository> -P layers.cmake

# Layers, each with the layers it may include besides itself. A path belongs to the first
# layer whose pattern matches it (patterns are regular expressions over the path relative to
# the repository).
set(layer_names base win32 machine calls control shared shared_impl platform standins
                service host_machine host_scenario host_run host_report host orvsvc)
set(pattern_base        "^src/base/")
set(pattern_win32       "^src/winapi/(win32/|windows/|[^/]+$)")
set(pattern_machine     "^src/winapi/machine/")
set(pattern_calls       "^src/winapi/calls/")
set(pattern_control     "^src/winapi/control/")
set(pattern_shared      "^src/shared/.*\\.h$")
set(pattern_shared_impl "^src/shared/")
set(pattern_platform    "^src/platform/")
set(pattern_standins    "^src/sim/")
set(pattern_service     "^src/service/")
set(pattern_host_machine  "^host/machine/")
set(pattern_host_scenario "^host/(scenario|steps|expectations)/")
set(pattern_host_run      "^host/run/")
set(pattern_host_report   "^host/report/")
set(pattern_host        "^host/")
set(pattern_orvsvc      "^orvsvc/")

set(uses_base)
set(uses_win32       base)
set(uses_machine     base win32)
set(uses_calls       base win32 machine)
set(uses_control     base win32 machine)
set(uses_shared      base win32)
# The shared types' definitions are part of the service library, which calls the siblings.
set(uses_shared_impl base win32 shared platform)
set(uses_platform    base win32 shared)
set(uses_standins    base win32 shared platform)
set(uses_service     base win32 shared platform)
# orvhost's own libraries, bottom up; its command line sits on all of them.
set(uses_host_machine  base win32 control shared platform standins service)
set(uses_host_scenario ${uses_host_machine} host_machine)
set(uses_host_run      ${uses_host_scenario} host_scenario)
set(uses_host_report   ${uses_host_run} host_run)
set(uses_host          ${uses_host_report} host_report)
set(uses_orvsvc      base win32 service)

function(layer_of path out)
  foreach(name ${layer_names})
    if(path MATCHES "${pattern_${name}}")
      set(${out} ${name} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# The shared headers that other libraries may see are those the package installs; the rest
# are the service library's own.
file(READ ${SOURCE_DIR}/cmake/Install.cmake install_rules)
string(REGEX MATCHALL "shared/[a-z0-9_]+\\.h" public_shared "${install_rules}")

# An include names a path under src/ (the include root of every library) or under the
# repository (host/, orvsvc/).
function(resolve include out)
  foreach(candidate src/${include} ${include})
    if(EXISTS ${SOURCE_DIR}/${candidate})
      set(${out} ${candidate} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.inc
     ${SOURCE_DIR}/host/*.h ${SOURCE_DIR}/host/*.cpp
     ${SOURCE_DIR}/orvsvc/*.h ${SOURCE_DIR}/orvsvc/*.cpp)
set(violations "")
set(checked 0)
foreach(source ${sources})
  layer_of(${source} from)
  if(NOT from)
    string(APPEND violations "  ${source}: in no layer\n")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" include "${line}")
    resolve(${include} target)
    if(NOT target)
      continue()  # beside the file, or generated
    endif()
    math(EXPR checked "${checked} + 1")
    layer_of(${target} to)
    if(to STREQUAL from)
      continue()
    endif()
    if(to STREQUAL "shared" AND NOT from STREQUAL "shared_impl" AND NOT include IN_LIST public_shared)
      string(APPEND violations "  ${source} -> ${include}: a shared header the package does not install\n")
    elseif(NOT to IN_LIST uses_${from})
      string(APPEND violations "  ${source} (${from}) -> ${include} (${to})\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "includes that cross the layer order:\n${violations}")
endif()
list(LENGTH sources files)
message(STATUS "${files} files, ${checked} includes, all in layer order")
