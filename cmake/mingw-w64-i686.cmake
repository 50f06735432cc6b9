# Cross build of the 32-bit x86 Windows executable, the pair product for 32-bit runtimes.
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
