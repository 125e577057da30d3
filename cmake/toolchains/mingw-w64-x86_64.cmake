# Cross-build for 64-bit Windows with Debian's MinGW-w64, the POSIX-threads
# variant (g++-mingw-w64-x86-64-posix), whose std::thread the engine's
# frequency workers need:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake -DTERVA_ENGINE_ONLY=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TERVA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TERVA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TERVA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TERVA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TERVA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime and the threads library linked in: the DLL and the programs
# need no MinGW DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
