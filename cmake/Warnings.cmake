# One warnings target for every library, test and tool; warnings are errors in CI.
add_library(jw_warnings INTERFACE)
target_compile_options(jw_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if("$ENV{CI}" STREQUAL "true")
  target_compile_options(jw_warnings INTERFACE -Werror)
endif()

# jw_library(name SOURCES ... LIBS ...): one static library per folder.
function(jw_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE jw_warnings)
  if(JW_BUILD_FUZZ)
    # Coverage feedback for the fuzz targets from every library they reach.
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
