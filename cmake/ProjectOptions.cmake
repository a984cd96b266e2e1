# Warnings and sanitizers for the project's own targets: call orv_target_options(<target>).

add_library(orv_warnings INTERFACE)
if(MSVC)
  target_compile_options(orv_warnings INTERFACE /W4 /permissive- /utf-8 /Zc:__cplusplus)
else()
  target_compile_options(orv_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror
    $<$<CXX_COMPILER_ID:Clang>:-Wthread-safety>)
endif()

# Valgrind 3.19 (Debian 12) cannot read the DWARF 5 that Clang writes by default and gives up
# on the whole program (scripts/memcheck.sh); version 4 it reads.
if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options($<$<CONFIG:Debug,RelWithDebInfo>:-gdwarf-4>)
endif()

if(ORV_SANITIZER)
  string(REPLACE ";" "," _orv_san "${ORV_SANITIZER}")
  add_compile_options(-fsanitize=${_orv_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_orv_san})
endif()

# Coverage feedback for libFuzzer in every library of ours; only the fuzz programs link the
# fuzzer's own main (fuzz/CMakeLists.txt).
if(ORV_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORV_BUILD_FUZZERS needs Clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(orv_target_options target)
  target_link_libraries(${target} PRIVATE orv_warnings)
endfunction()

# A shared library of ours that exports only what is marked ORV_EXPORT.
function(orv_hidden_visibility target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
