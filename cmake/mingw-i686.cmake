# Cross build for 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686):
# the service program as a 32-bit program.  Its test programs run only where
# a 32-bit Wine is installed (Debian's wine32:i386); elsewhere they are built
# and not run.
set(ORV_MINGW_TRIPLE i686-w64-mingw32)
if(NOT EXISTS /usr/lib/wine/wine)
    set(ORV_MINGW_NO_EMULATOR ON)
endif()
set(ORV_MINGW_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
