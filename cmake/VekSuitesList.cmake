# Script mode, run after a test binary is built: lists its GoogleTest suites
# and writes the CTest file that adds one test per suite (see VekSuites.cmake).
# Inputs: BIN, PREFIX, OUT, PROPS (a list of property name/value pairs).
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${BIN}" --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${BIN} --gtest_list_tests failed (${rc})")
endif()
set(script "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # Suite lines start in column one and end in '.'; a typed or value-
  # parameterised suite carries a "  # TypeParam = …" comment after it.
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
    string(APPEND script "add_test([=[${PREFIX}${suite}]=] [=[${BIN}]=] [=[--gtest_filter=${suite}.*]=])\n")
    if(PROPS)
      string(APPEND script "set_tests_properties([=[${PREFIX}${suite}]=] PROPERTIES")
      foreach(p IN LISTS PROPS)
        string(APPEND script " [=[${p}]=]")
      endforeach()
      string(APPEND script ")\n")
    endif()
  endif()
endforeach()
file(WRITE "${OUT}" "${script}")
