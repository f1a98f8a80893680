# The shipped 32-bit build. The -win32 compilers use Windows' own threading
# primitives instead of the POSIX thread runtime, whose static copy imports
# functions that Windows 2000 and XP lack (GetTickCount64 and others) and
# would keep the program from loading there. That thread model has no
# std::thread or std::mutex; nothing shipped needs them, and the tests,
# built with the same compilers, do without them too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
