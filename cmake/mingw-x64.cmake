# VESK_THREADS picks the compiler's thread model: win32 (the default) links
# no threads runtime, as the shipped program must; posix gives std::mutex
# and std::thread, which GoogleTest and the window tests need.
if(NOT VESK_THREADS)
  set(VESK_THREADS win32)
endif()
# try_compile projects read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VESK_THREADS)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${VESK_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${VESK_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
