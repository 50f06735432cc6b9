# Builds the Windows tree (launcher.exe, unit_tests.exe, test tools) with the MinGW-w64 cross
# compiler as part of the host build, so one build and one ctest run cover both targets.
include(ExternalProject)
set(LAUNCHER_CROSS_DIR ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(windows_build
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${LAUNCHER_CROSS_DIR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DLAUNCHER_WERROR=${LAUNCHER_WERROR}
    -DLAUNCHER_BUILT_IN_SETTINGS=${LAUNCHER_BUILT_IN_SETTINGS}
    -DLAUNCHER_DOWNLOAD_URL=${LAUNCHER_DOWNLOAD_URL}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
