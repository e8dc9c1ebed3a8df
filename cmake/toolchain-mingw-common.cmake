# What both MinGW-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR
# and ZENTU_TRIPLE first. The -posix compilers are required: the -win32 ones
# have no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZENTU_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTU_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTU_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${ZENTU_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${ZENTU_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The compiler runtime is linked statically: the DLL and the test programs
# import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
