# The portable driver-setup logic on the build machine, with native tests.
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(tolvexan_setup STATIC ${SETUP_PORTABLE_SOURCES})
target_include_directories(tolvexan_setup PUBLIC setup)

# The package check's portable part, over the same logic.
add_library(tolvexan_check STATIC check/PackageCheck.cpp check/InfIndex.cpp)
target_include_directories(tolvexan_check PUBLIC check)
target_link_libraries(tolvexan_check PUBLIC tolvexan_setup)

add_executable(setup_host_tests tests/host/CatalogueTest.cpp tests/host/InstallTest.cpp tests/host/CheckTest.cpp)
target_link_libraries(setup_host_tests PRIVATE tolvexan_check GTest::gtest GTest::gtest_main)
gtest_discover_tests(setup_host_tests)

# The catalogue's cost per key (bench/run.sh), never built by the tests.
if(TOLVEXAN_BENCH)
    add_subdirectory(bench)
endif()
