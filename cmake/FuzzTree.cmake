# The libFuzzer harness of the model list's key-list walk, with the address
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
