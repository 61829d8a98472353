# Cross-build for 64-bit Windows with Debian's mingw-w64, posix-threads variant (std::thread and
# std::mutex need it). The runtime is linked statically, so zepimport.exe and the driver DLLs
# need no DLL beyond those of Windows itself.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(_zep_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_zep_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_zep_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_zep_static_runtime}")
