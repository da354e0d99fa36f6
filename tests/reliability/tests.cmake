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
foreach(name settings datafile highscores)
  add_test(NAME reliability.fuzz_${name}
    COMMAND bash ${RELIABILITY_DIR}/fuzz/run_fuzz.sh ${CMAKE_BINARY_DIR}/fuzz ${name} 10 2000000)
  set_tests_properties(reliability.fuzz_${name} PROPERTIES
    FIXTURES_REQUIRED tree_fuzz LABELS reliability TIMEOUT 120 RESOURCE_LOCK heavy)
endforeach()

reliability_tree(thread ${CMAKE_BINARY_DIR}/tsan)
add_test(NAME reliability.timer_threads
  COMMAND bash ${RELIABILITY_DIR}/threads/run_timer_threads.sh ${CMAKE_BINARY_DIR}/tsan 5)
set_tests_properties(reliability.timer_threads PROPERTIES
  RESOURCE_LOCK xserver
  FIXTURES_REQUIRED tree_thread LABELS reliability TIMEOUT 120)

# The whole game under AddressSanitizer and UBSan.
reliability_tree(address ${CMAKE_BINARY_DIR}/asan)
set(SANITIZER_ENV "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
add_test(NAME reliability.torn_save COMMAND ${CMAKE_BINARY_DIR}/asan/torn_save 1000)
set_tests_properties(reliability.torn_save PROPERTIES
  FIXTURES_REQUIRED tree_address LABELS reliability TIMEOUT 300 ENVIRONMENT "${SANITIZER_ENV}"
  RESOURCE_LOCK heavy)
add_test(NAME reliability.soak
  COMMAND ${CMAKE_BINARY_DIR}/asan/soak 400000 ${TARNAVEL_DATA_DIR} 1 40)
set_tests_properties(reliability.soak PROPERTIES
  FIXTURES_REQUIRED tree_address LABELS reliability TIMEOUT 600 ENVIRONMENT "${SANITIZER_ENV}"
  RESOURCE_LOCK heavy)
