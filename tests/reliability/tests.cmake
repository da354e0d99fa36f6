# Memory errors (label sanitize): the game's library built again with ASan and
# UBSan, linked with the unit tests' own objects (its own first, so that the
# game's inline functions come instrumented), and the soak; any report fails.
# The real timer under ThreadSanitizer is left to test-slow.
set(SANITIZE -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer -g1)
foreach(property SOURCES INCLUDE_DIRECTORIES LINK_LIBRARIES)
  get_target_property(core_${property} tarnavel_core ${property})
endforeach()
add_library(tarnavel_core_asan STATIC ${core_SOURCES})
target_include_directories(tarnavel_core_asan PUBLIC ${core_INCLUDE_DIRECTORIES})
target_link_libraries(tarnavel_core_asan PUBLIC ${core_LINK_LIBRARIES})
target_compile_options(tarnavel_core_asan PUBLIC ${SANITIZE} PRIVATE ${TARNAVEL_WARNINGS})
target_link_options(tarnavel_core_asan PUBLIC ${SANITIZE})

get_target_property(unit_libraries unit_tests LINK_LIBRARIES)
list(TRANSFORM unit_libraries REPLACE "^tarnavel_core$" tarnavel_core_asan)
add_executable(unit_tests_asan $<TARGET_OBJECTS:tarnavel_core_asan> $<TARGET_OBJECTS:unit_tests>)
target_link_libraries(unit_tests_asan PRIVATE ${unit_libraries})
add_executable(soak reliability/soak.cpp ${CMAKE_SOURCE_DIR}/tools/autopilot.cpp)
target_link_libraries(soak PRIVATE tarnavel_core_asan)
target_compile_options(soak PRIVATE ${TARNAVEL_WARNINGS})

# Each shard in a directory of its own: the plain unit tests run beside them.
foreach(shard 0 1)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/asan_${shard})
  file(MAKE_DIRECTORY ${dir})
  add_test(NAME sanitize.unit_tests_${shard} COMMAND unit_tests_asan WORKING_DIRECTORY ${dir})
  set_tests_properties(sanitize.unit_tests_${shard} PROPERTIES LABELS sanitize
    ENVIRONMENT "DISPLAY=;TEST_TMPDIR=${dir};GTEST_TOTAL_SHARDS=2;GTEST_SHARD_INDEX=${shard}")
endforeach()
add_test(NAME sanitize.soak COMMAND soak 100000 ${TARNAVEL_DATA_DIR} 1 15)
set_tests_properties(sanitize.soak PROPERTIES LABELS sanitize)

add_executable(timer_threads EXCLUDE_FROM_ALL reliability/timer_threads.cpp ${CMAKE_SOURCE_DIR}/shell/globals.cpp)
target_include_directories(timer_threads PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(timer_threads PRIVATE -fsanitize=thread ${TARNAVEL_WARNINGS})
target_link_options(timer_threads PRIVATE -fsanitize=thread)
target_link_libraries(timer_threads PRIVATE PkgConfig::ALLEGRO)
add_test(NAME slow.timer_threads COMMAND xvfb-run -a -s "-nolisten tcp -noreset" $<TARGET_FILE:timer_threads> 10)
set_tests_properties(slow.timer_threads PROPERTIES LABELS slow RESOURCE_LOCK xserver ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1")

# The music read back by xmp and openmpt123 (Debian packages of make
# test-slow), players that share no code with DUMB or the generator.
add_test(NAME slow.modules COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/reliability/modules.sh ${TARNAVEL_DATA_DIR}/music.dat)
set_tests_properties(slow.modules PROPERTIES LABELS slow)
