# One warnings target for every library, test and tool. CI turns warnings into
# errors with -DJW_WERROR=ON; a local build only shows them.
option(JW_WERROR "Treat compiler warnings as errors" OFF)
add_library(jw_warnings INTERFACE)
target_compile_options(jw_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(JW_WERROR)
  target_compile_options(jw_warnings INTERFACE -Werror)
endif()

# jw_library(jw_<name> SOURCES ... [PUBLIC ...] [PRIVATE ...]): one static library per
# folder, also known as jw::<name>. PUBLIC lists what the folder's headers include,
# PRIVATE what only its sources do.
function(jw_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "jw_library(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  string(REGEX REPLACE "^jw_" "" short ${name})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(jw::${short} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE} jw_warnings)
  if(JW_BUILD_FUZZ)
    # Coverage feedback for the fuzz targets from every library they reach.
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
