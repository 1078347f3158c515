# vek_add_suites(<target> <prefix> [PROPERTIES <name> <value>...])
#
# Registers one CTest test per GoogleTest suite of <target>, named
# <prefix><Suite> and run as `<target> --gtest_filter=<Suite>.*`. A window
# test binary starts a QApplication in every process, so a process per suite
# rather than per test keeps the suite's wall time low. The suites are listed
# from the binary after each build, so a new TEST needs no CMake edit.
set(VEK_SUITES_LISTER ${CMAKE_CURRENT_LIST_DIR}/VekSuitesList.cmake)

function(vek_add_suites target prefix)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  string(REPLACE ";" "\\;" props "${ARG_PROPERTIES}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D "BIN=$<TARGET_FILE:${target}>" -D "PREFIX=${prefix}"
            -D "OUT=${out}" -D "PROPS=${props}" -P ${VEK_SUITES_LISTER}
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${out})
endfunction()
