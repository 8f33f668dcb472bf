# libFuzzer harnesses for the portable driver-setup logic, with the address
# and undefined-behaviour sanitizers; configured by the preset "fuzz" with
# clang. The tests of this tree run each harness once over its seeds;
# tests/fuzz/run-fuzzers.sh does the time-bounded fuzzing.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz tree needs clang with libFuzzer (preset 'fuzz'), not ${CMAKE_CXX_COMPILER_ID}")
endif()

set(FUZZ_SANITIZERS address,undefined)
# Everything, the code under test included, gets the coverage hooks and the
# sanitizers; only the harnesses link libFuzzer's main.
add_compile_options(-fsanitize=fuzzer-no-link,${FUZZ_SANITIZERS} -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=${FUZZ_SANITIZERS})

add_library(tolvexan_setup STATIC ${SETUP_PORTABLE_SOURCES})
target_include_directories(tolvexan_setup PUBLIC setup)

# Each harness (tests/fuzz/NAME.cpp) with the seed directories it is tested
# on, under tests/fuzz/corpus/.
set(FUZZ_HARNESSES
    "FuzzModelList\;model_list\;model_list_large"
    "FuzzInstallCommand\;install_command"
)
foreach(harness IN LISTS FUZZ_HARNESSES)
    list(POP_FRONT harness name)
    add_executable(${name} tests/fuzz/${name}.cpp)
    target_include_directories(${name} PRIVATE tests/fuzz)
    target_link_libraries(${name} PRIVATE tolvexan_setup)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # Files given on the command line are run once each: nothing is fuzzed
    # and nothing is written into the source tree.
    set(seeds "")
    foreach(corpus IN LISTS harness)
        file(GLOB found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus}/*")
        if(NOT found)
            message(FATAL_ERROR "No seeds in tests/fuzz/corpus/${corpus}")
        endif()
        list(APPEND seeds ${found})
    endforeach()
    add_test(NAME ${name}.seeds COMMAND ${name} ${seeds})
endforeach()
