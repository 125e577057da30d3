# Where the programs find the engine library, and the file names that differ
# between Windows and the rest. The one platform switch of the build.
#
# TERVA_ENGINE_DIR is the engine library's folder relative to the folder of
# the program that loads it (terva, terva-batch). It is compiled into the
# engine runner and used both for the build tree and for the installed tree,
# so the build's own tests load the library exactly as an installed program
# does:
#
#   Linux    bin/terva  bin/terva-batch  bin/Terva3-viewer  lib/terva/libTerva3-comp.so
#   Windows  bin/terva.exe  bin/terva-batch.exe  bin/Terva3-viewer.exe  bin/TERVA3-COMP.DLL
#
# On Windows the settings go to the registry (HKEY_CURRENT_USER\Software\
# Halvit\TERVA\<version>), QSettings' native format there; on Linux to
# ~/.config/Halvit/TERVA.conf. Nothing in the build chooses that. Of Windows,
# only the engine is built and checked here (TERVA_ENGINE_ONLY with the MinGW
# toolchain, scripts/windows-engine.sh): Debian packages no Qt 6 for MinGW.
include_guard(GLOBAL)
include(GNUInstallDirs)

if(WIN32)
  # The program's folder holds the library, as Windows' loader expects.
  set(TERVA_ENGINE_DIR "." CACHE STRING "Engine library folder, relative to the program's folder")
else()
  set(TERVA_ENGINE_DIR "../lib/terva" CACHE STRING "Engine library folder, relative to the program's folder")
endif()
if(IS_ABSOLUTE "${TERVA_ENGINE_DIR}")
  message(FATAL_ERROR "TERVA_ENGINE_DIR must be relative to the program's folder, not ${TERVA_ENGINE_DIR}")
endif()

# The engine's folder in the build tree (beside build/bin) and under the
# installation prefix (beside CMAKE_INSTALL_BINDIR).
cmake_path(APPEND CMAKE_BINARY_DIR bin "${TERVA_ENGINE_DIR}" OUTPUT_VARIABLE TERVA_ENGINE_BUILD_DIR)
cmake_path(NORMAL_PATH TERVA_ENGINE_BUILD_DIR)
cmake_path(APPEND CMAKE_INSTALL_BINDIR "${TERVA_ENGINE_DIR}" OUTPUT_VARIABLE TERVA_INSTALL_ENGINEDIR)
cmake_path(NORMAL_PATH TERVA_INSTALL_ENGINEDIR)
string(REGEX REPLACE "/$" "" TERVA_INSTALL_ENGINEDIR "${TERVA_INSTALL_ENGINEDIR}")
string(REGEX REPLACE "/$" "" TERVA_ENGINE_BUILD_DIR "${TERVA_ENGINE_BUILD_DIR}")
if(TERVA_INSTALL_ENGINEDIR MATCHES "^\\.\\.")
  message(FATAL_ERROR "TERVA_ENGINE_DIR leaves the installation prefix: ${TERVA_INSTALL_ENGINEDIR}")
endif()

# Applied once the targets exist (called from the top-level CMakeLists.txt).
function(terva_platform_targets)
  # The library's name and folder.
  if(WIN32)
    set_target_properties(Terva3-comp PROPERTIES PREFIX "" OUTPUT_NAME "TERVA3-COMP" SUFFIX ".DLL")
  endif()
  set_target_properties(Terva3-comp PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY "${TERVA_ENGINE_BUILD_DIR}"
    RUNTIME_OUTPUT_DIRECTORY "${TERVA_ENGINE_BUILD_DIR}")
  # The runner finds it by this path from its own executable's folder.
  if(TARGET terva_gui_core)
    target_compile_definitions(terva_gui_core PRIVATE TERVA_ENGINE_DIR="${TERVA_ENGINE_DIR}")
  endif()
  # "Terva3-viewer.exe" comes from the target's name; the desktop program
  # starts it from its own folder.
  # The windowed programs open no console window on Windows.
  if(WIN32)
    foreach(program terva Terva3-viewer)
      if(TARGET ${program})
        set_target_properties(${program} PROPERTIES WIN32_EXECUTABLE ON)
      endif()
    endforeach()
  endif()
endfunction()
