# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. The posix thread
# model is needed: the win32 one has no std::thread / std::mutex in GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_qv_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_qv_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_qv_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_qv_mingw}-windres)
set(CMAKE_AR /usr/bin/${_qv_mingw}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${_qv_mingw}-ranlib CACHE FILEPATH "")
# Libraries and headers come from the sysroot and from the SDK (CMAKE_PREFIX_PATH);
# programs (moc, rcc, uic, lrelease) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${_qv_mingw})
if(DEFINED ENV{QV_WIN_SDK})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{QV_WIN_SDK})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR "" CACHE STRING "")
