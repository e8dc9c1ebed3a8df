# Cross-compiling the Windows pieces with MinGW-w64 (x86_64).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZENTU_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
