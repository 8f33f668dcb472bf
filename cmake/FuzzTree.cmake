# The libFuzzer harnesses of the model list's key-list walk and of the package
# check's index of INF keys, with the address
# and undefined-behaviour sanitizers; configured by the preset "fuzz" with
# clang. Its tests run the seeds once, then fuzz for FUZZ_SECONDS.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz tree needs clang with libFuzzer (preset 'fuzz'), not ${CMAKE_CXX_COMPILER_ID}")
endif()

set(FUZZ_SANITIZERS address,undefined)
# Everything, the code under test included, gets the coverage hooks and the
# sanitizers; only the harness links libFuzzer's main.
add_compile_options(-fsanitize=fuzzer-no-link,${FUZZ_SANITIZERS} -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=${FUZZ_SANITIZERS})

add_library(tolvexan_setup STATIC ${SETUP_PORTABLE_SOURCES})
target_include_directories(tolvexan_setup PUBLIC setup)

add_executable(FuzzModelList tests/fuzz/FuzzModelList.cpp)
target_link_libraries(FuzzModelList PRIVATE tolvexan_setup)
target_link_options(FuzzModelList PRIVATE -fsanitize=fuzzer)

# Files given on the command line are run once each, nothing is fuzzed.
file(GLOB seeds CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/*")
add_test(NAME FuzzModelList.seeds COMMAND FuzzModelList ${seeds})
# New inputs go to the first directory and findings to the prefix, both in
# the build tree; the seed directory is only read.
set(FUZZ_SECONDS 15 CACHE STRING "How long the fuzz test mutates the seeds")
set(runs "${CMAKE_BINARY_DIR}/fuzz-runs")
file(MAKE_DIRECTORY "${runs}/corpus")
add_test(NAME FuzzModelList.fuzz COMMAND FuzzModelList -max_total_time=${FUZZ_SECONDS} -timeout=10
         -print_final_stats=1 -artifact_prefix=${runs}/ "${runs}/corpus" "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus")
set_tests_properties(FuzzModelList.fuzz PROPERTIES DEPENDS FuzzModelList.seeds)

# The package check's index of INF keys: its seeds, then a shorter fuzzing.
add_library(tolvexan_check STATIC check/InfIndex.cpp)
target_include_directories(tolvexan_check PUBLIC check)
add_executable(FuzzInfIndex tests/fuzz/FuzzInfIndex.cpp)
target_link_libraries(FuzzInfIndex PRIVATE tolvexan_check)
target_link_options(FuzzInfIndex PRIVATE -fsanitize=fuzzer)
file(GLOB inf_seeds CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/inf-corpus/*")
file(MAKE_DIRECTORY "${runs}/inf-corpus")
add_test(NAME FuzzInfIndex.seeds COMMAND FuzzInfIndex ${inf_seeds})
add_test(NAME FuzzInfIndex.fuzz COMMAND FuzzInfIndex -max_total_time=5 -timeout=10 -print_final_stats=1
         -artifact_prefix=${runs}/inf- "${runs}/inf-corpus" "${CMAKE_SOURCE_DIR}/tests/fuzz/inf-corpus")
set_tests_properties(FuzzInfIndex.fuzz PROPERTIES DEPENDS FuzzInfIndex.seeds)
