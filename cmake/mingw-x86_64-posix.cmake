# Test programs that run under Wine, and the build of the tool that they start.
#
# 64-bit, for machines whose kernel runs no i386 code (scripts/windows-arch.sh
# prints 64): no 32-bit process runs there, not even under Wine. The same
# sources are built for x86-64 Windows to drive the real Win32 API under 64-bit
# Wine; the shipped 32-bit program is checked as a file (see tests/exe).
#
# "posix" thread model, because GoogleTest needs std::mutex. Never used for the
# shipped program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
