include(GoogleTest)
find_package(GTest REQUIRED)

# jw_add_test(name SOURCES ... LIBS ... [CORE] [TIMEOUT s]): a GoogleTest binary whose
# cases each become a CTest entry. Each case runs headless in a private temporary
# HOME / XDG_CONFIG_HOME / XDG_DATA_HOME made by the shared test main.
function(jw_add_test name)
  cmake_parse_arguments(ARG "CORE" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_CORE)
    target_link_libraries(${name} PRIVATE jw_test_main_core)
  else()
    target_link_libraries(${name} PRIVATE jw_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} jw_warnings)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT QT_QPA_PLATFORM=offscreen
      TIMEOUT ${ARG_TIMEOUT})
endfunction()
