# Cross-compiling the Windows pieces with MinGW-w64 (i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZENTU_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
