# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, in its POSIX
# threading flavour (std::thread and std::mutex need it).
# Usage: cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSERLINK_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TESSERLINK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSERLINK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSERLINK_MINGW_TRIPLE}-windres)

# Libraries and packages come from the MinGW tree (and the prefixes named in
# CMAKE_PREFIX_PATH), never from the host's /usr: a host include folder on the
# cross compiler's path breaks the C library headers.
# TESSERLINK_WINDOWS_LIBRARIES: the prefix scripts/build-windows-libraries
# fills with the analysis files' C libraries built for Windows.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSERLINK_MINGW_TRIPLE} ${TESSERLINK_WINDOWS_LIBRARIES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
