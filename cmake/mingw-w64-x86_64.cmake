# SPDX-License-Identifier: MIT
# 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# scripts/build-windows uses it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVALEN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVALEN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVALEN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVALEN_MINGW}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${CORVALEN_MINGW})
# The Qt built for Windows by scripts/build-windows-qt holds target files too.
if(CORVALEN_QT_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${CORVALEN_QT_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CORVALEN_QT_PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and the plot module that need no DLL beside them: the C++ runtime,
# libgcc and winpthread are linked in, and only Windows' own DLLs are left to import.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
