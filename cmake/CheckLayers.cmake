# Fails when a source file includes a header of a layer it may not use.
#
#   cmake -DROOT=<source tree> -P cmake/CheckLayers.cmake
#
# Each layer is a folder and names the layers it may use (the README's table
# says the same); a file may always include headers of its own folder. The
# data windows, the plots and the geometry views are peers that know nothing
# of one another; so are the impedance models, the response and the input.
#
# Programs (tools/) sit on top of the desktop program's layers and reach the
# engine only through its C entry header. A test under tests/<tree>/<layer>
# may use what its layer may use, the top layer of its tree (a test may run
# the whole engine, or drive the main window, to reach its layer), and the
# test support folders.

set(USES_engine_core "")
set(USES_engine_report core)
set(USES_engine_numerics core report)
set(USES_engine_input core report numerics)
set(USES_engine_impedance core report numerics)
set(USES_engine_response core report numerics)
set(USES_engine_analysis core report numerics input impedance response)
set(TOP_engine analysis)

set(USES_gui_core "")
set(USES_gui_model core)
set(USES_gui_files core model)
set(USES_gui_widgets core model files)
set(USES_gui_forms core model files widgets)
set(USES_gui_plots core model files widgets)
set(USES_gui_views core model files widgets)
set(USES_gui_report core model files widgets plots views)
set(USES_gui_app core model files widgets forms plots views report)
set(TOP_gui app)

# The engine's public C interface: the one engine header the program's side may include.
set(ENGINE_ENTRY "engine/analysis/iterva.h")
# The engine's reading of an input without a run, and the problem record it
# fills: the program's file layer imports engine inputs through the engine's
# own reader (one parser of the keyword language), and only that layer.
set(ENGINE_READING "engine/analysis/read_input.hpp" "engine/core/problem_data.hpp" "engine/core/scalar.hpp"
    "engine/input/input_records.hpp")
set(ENGINE_READING_USERS "gui/files")
# Test support folders any test may include.
set(TEST_SUPPORT "tests/support/" "tests/gui/support/")
# The engine's progress test polls a run through the program's engine runner.
set(TEST_EXTRA_engine_analysis "gui/core")

if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers: ROOT is not set")
endif()

set(violations "")

# Appends to `violations` every include of `file` that is not in the allowed
# list of "tree/layer" entries (its own folder is always allowed).
function(check_file file own allowed)
  file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"(engine|gui|tests)/")
  set(found ${violations})
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" path "${line}")
    set(ok FALSE)
    if(path STREQUAL ENGINE_ENTRY AND NOT own MATCHES "^engine/")
      set(ok TRUE)  # the program's side calls the engine through its entry
    endif()
    list(FIND ENGINE_READING "${path}" reading)
    list(FIND ENGINE_READING_USERS "${own}" reader)
    if(reading GREATER_EQUAL 0 AND reader GREATER_EQUAL 0)
      set(ok TRUE)  # the file layer reads engine inputs through the engine's reader
    endif()
    foreach(support ${TEST_SUPPORT})
      string(FIND "${path}" "${support}" at)
      if(at EQUAL 0 AND file MATCHES "^tests/")
        set(ok TRUE)
      endif()
    endforeach()
    string(REGEX MATCH "^[a-z]+/[^/]+" layer_of_path "${path}")
    if(layer_of_path STREQUAL own)
      set(ok TRUE)
    endif()
    list(FIND allowed "${layer_of_path}" index)
    if(index GREATER_EQUAL 0)
      set(ok TRUE)
    endif()
    if(NOT ok)
      list(APPEND found "${file}: ${own} may not use ${layer_of_path} (#include \"${path}\")")
    endif()
  endforeach()
  set(violations ${found} PARENT_SCOPE)
endfunction()

function(layers_of tree layer out)
  if(NOT DEFINED USES_${tree}_${layer})
    set(${out} "UNKNOWN" PARENT_SCOPE)
    return()
  endif()
  set(list "")
  foreach(l ${USES_${tree}_${layer}})
    list(APPEND list "${tree}/${l}")
  endforeach()
  set(${out} "${list}" PARENT_SCOPE)
endfunction()

# The engine and the program: engine/<layer>/… and gui/<layer>/…; files
# directly in the tree's folder (gui/main.cpp) sit on top of every layer.
foreach(tree engine gui)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${tree}/*.hpp" "${ROOT}/${tree}/*.h" "${ROOT}/${tree}/*.cpp")
  foreach(source ${sources})
    string(REPLACE "/" ";" parts "${source}")
    list(LENGTH parts depth)
    if(depth LESS 3)
      layers_of(${tree} ${TOP_${tree}} allowed)
      check_file("${source}" "${tree}/${TOP_${tree}}" "${allowed}")
      continue()
    endif()
    list(GET parts 1 layer)
    layers_of(${tree} "${layer}" allowed)
    if(allowed STREQUAL "UNKNOWN")
      list(APPEND violations "${source}: folder '${layer}' is not a known layer of ${tree}/")
      continue()
    endif()
    check_file("${source}" "${tree}/${layer}" "${allowed}")
  endforeach()
endforeach()

# The programs: every layer of the desktop program, the engine by its entry.
file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/tools/*.hpp" "${ROOT}/tools/*.h" "${ROOT}/tools/*.cpp")
layers_of(gui app allowed)
foreach(source ${sources})
  check_file("${source}" "tools" "gui/app;${allowed}")
endforeach()

# The tests: tests/<tree>/<layer>/…
foreach(tree engine gui)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/tests/${tree}/*.hpp" "${ROOT}/tests/${tree}/*.h"
       "${ROOT}/tests/${tree}/*.cpp")
  foreach(source ${sources})
    string(REPLACE "/" ";" parts "${source}")
    list(LENGTH parts depth)
    list(GET parts 2 layer)
    if(depth LESS 4 OR layer STREQUAL "support")
      continue()
    endif()
    layers_of(${tree} "${layer}" allowed)
    if(allowed STREQUAL "UNKNOWN")
      list(APPEND violations "${source}: folder '${layer}' mirrors no layer of ${tree}/")
      continue()
    endif()
    list(APPEND allowed "${tree}/${TOP_${tree}}" ${TEST_EXTRA_${tree}_${layer}})
    check_file("${source}" "${tree}/${layer}" "${allowed}")
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
