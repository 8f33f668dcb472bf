# The portable driver-setup logic on the build machine, with native tests.
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(tolvexan_setup STATIC ${SETUP_PORTABLE_SOURCES})
target_include_directories(tolvexan_setup PUBLIC setup)

add_executable(setup_host_tests
    tests/host/ModelCatalogueTest.cpp
    tests/host/InstallLauncherTest.cpp
)
target_link_libraries(setup_host_tests PRIVATE tolvexan_setup GTest::gtest GTest::gtest_main)
gtest_discover_tests(setup_host_tests)

# The catalogue's platform calls and allocations, counted. malloc and free
# are wrapped at link time so that the test sees what the setup code takes.
add_executable(catalogue_calls_tests tests/host/CataloguePlatformCallsTest.cpp)
target_link_libraries(catalogue_calls_tests PRIVATE tolvexan_setup GTest::gtest GTest::gtest_main)
target_link_options(catalogue_calls_tests PRIVATE -Wl,--wrap=malloc -Wl,--wrap=free)
gtest_discover_tests(catalogue_calls_tests)

# The catalogue's own cost per key (bench/run.sh runs it; ctest does not).
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(catalogue_benchmark bench/host/CatalogueBenchmark.cpp)
    target_link_libraries(catalogue_benchmark PRIVATE tolvexan_setup benchmark::benchmark)
endif()
