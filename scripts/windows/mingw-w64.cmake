# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads). Qt for
# Windows (scripts/windows-qt) is built with it, and so is the launcher against that
# Qt. Libraries built for Windows (Qt, GoogleTest) are looked for under the prefixes
# in MARLOVEN_WINDOWS_PREFIX (a CMake list, or the environment variable of that name).
#
# Programs link the MinGW runtime as DLLs (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll), as Qt's DLLs do: one C++ runtime in the process, so
# exceptions and allocations may cross between the program and Qt.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${MARLOVEN_WINDOWS_PREFIX}
                         $ENV{MARLOVEN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
