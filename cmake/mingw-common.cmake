# Shared part of the mingw-w64 toolchain files; the including file sets
# ORV_MINGW_TRIPLE and ORV_MINGW_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORV_MINGW_PROCESSOR})

# The posix thread model: GoogleTest needs std::mutex, which GCC 12's win32
# thread model lacks.  winpthreads is linked statically like the runtimes, so
# the binaries still need only system DLLs.
find_program(CMAKE_C_COMPILER NAMES ${ORV_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORV_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORV_MINGW_TRIPLE}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${ORV_MINGW_TRIPLE}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${ORV_MINGW_TRIPLE}-ranlib REQUIRED)
find_program(ORV_DLLTOOL NAMES ${ORV_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(ORV_OBJDUMP NAMES ${ORV_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports std::string's own copies as overlapping (-Wrestrict false
# positives inside libstdc++, GCC bug 105329, fixed in GCC 13) when it inlines
# them for these targets; with warnings as errors that would stop the build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# Windows binaries carry the C and C++ runtimes inside: they need only system
# DLLs (and XPLM_64.dll for the plugin).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, in the quiet prefix of scripts/wine-prefix.sh.
# The including file sets ORV_MINGW_NO_EMULATOR when this machine's Wine
# cannot run its programs; the tests are then built but not registered.
if(NOT ORV_MINGW_NO_EMULATOR)
    get_filename_component(_orv_repo "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${_orv_repo}/scripts/wine-run.sh")
endif()
