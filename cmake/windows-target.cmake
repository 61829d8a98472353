# What a cross-built Windows target adds to the build: GoogleTest built from Debian's source
# package for the target, and the test programs run under Wine when it is installed.
set(ZEP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZEP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

find_program(ZEP_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(ZEP_WINE NAMES wine64 wine)
if(NOT ZEP_WINE OR DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    return()
endif()

# One prefix per build folder, shared by the whole test run: made (once) and kept running by a
# fixture, so that each test program only pays for its own start.
set(ZEP_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${ZEP_WINE} ${ZEP_WINE_PREFIX})
# Wine puts the Linux root on drive Z:, so the programs find the build and source folders there.
set(ZEP_TARGET_BINARY_DIR Z:${CMAKE_BINARY_DIR})
set(ZEP_TARGET_SOURCE_DIR Z:${CMAKE_SOURCE_DIR})
set(ZEP_EMULATOR_FIXTURE wine_prefix)

add_test(NAME wine_prefix_start
         COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh start ${ZEP_WINE} ${ZEP_WINE_PREFIX})
add_test(NAME wine_prefix_stop
         COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh stop ${ZEP_WINE} ${ZEP_WINE_PREFIX})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 180)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine_prefix)
