# The reliability checks as ctest entries, in short versions: the fuzz
# targets for seconds each, the timer under ThreadSanitizer, the soak and
# the torn-save test under AddressSanitizer. Each sanitizer tree is built by
# a fixture of its own before the checks that need it. `make fuzz` and
# `make soak` run the same checks at length.
set(RELIABILITY_DIR ${CMAKE_CURRENT_SOURCE_DIR}/reliability)

function(reliability_tree kind dir)
  add_test(NAME reliability.build_${kind}
    COMMAND bash ${RELIABILITY_DIR}/build_tree.sh ${kind} ${dir})
  set_tests_properties(reliability.build_${kind} PROPERTIES
    FIXTURES_SETUP tree_${kind} LABELS reliability TIMEOUT 1200
    ENVIRONMENT "JOBS=2")
endfunction()

reliability_tree(fuzz ${CMAKE_BINARY_DIR}/fuzz)
set(FUZZ_TARGETS settings datafile)
file(GLOB TABLE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/highscores/*.cpp)
if(TABLE_SOURCES)
  list(APPEND FUZZ_TARGETS highscores)
endif()
foreach(name ${FUZZ_TARGETS})
  add_test(NAME reliability.fuzz_${name}
    COMMAND bash ${RELIABILITY_DIR}/fuzz/run_fuzz.sh ${CMAKE_BINARY_DIR}/fuzz ${name} 10 2000000)
  set_tests_properties(reliability.fuzz_${name} PROPERTIES
    FIXTURES_REQUIRED tree_fuzz LABELS reliability TIMEOUT 120)
endforeach()

reliability_tree(thread ${CMAKE_BINARY_DIR}/tsan)
add_test(NAME reliability.timer_threads
  COMMAND bash ${RELIABILITY_DIR}/threads/run_timer_threads.sh ${CMAKE_BINARY_DIR}/tsan 5)
set_tests_properties(reliability.timer_threads PROPERTIES
  FIXTURES_REQUIRED tree_thread LABELS reliability TIMEOUT 120)
