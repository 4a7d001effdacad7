# Cross-builds the program for 64-bit Windows with MinGW-w64 (posix threads, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# GoogleTest built for MinGW is installed under VANT_MINGW_PREFIX (./run.sh windows does it).
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VANT_MINGW_PREFIX} ${VANT_QT_KIT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The console alone is linked statically so VANTFerrant.exe runs alone. With the window
# (VANT_QT_KIT names a Qt kit) the Qt DLLs bring the MinGW runtime DLLs along anyway, and the
# program and its tests use those same ones: one C++ runtime in the process.
if(NOT VANT_QT_KIT)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()
# Windows 10 interfaces (CancelIoEx, virtual-terminal processing) and wide-character APIs;
# MinGW-w64's localtime_r and gmtime_r (thread-safe, over localtime_s and gmtime_s).
add_compile_definitions(_WIN32_WINNT=0x0A00 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _POSIX_THREAD_SAFE_FUNCTIONS)
