# Fails when a source file includes a header of a higher layer.
#
#   cmake -DROOT=<source tree> -P cmake/CheckLayers.cmake
#
# Each layer is a folder; its rank says what it may include: a file may
# include headers of its own folder and of folders of lower rank. Folders of
# equal rank are peers and may not include each other (the data windows, the
# plots and the geometry views know nothing of one another).
#
# Engine: core < report < numerics < input < impedance < response < analysis
# Program: core < model < files < widgets < forms = plots = views < app

set(ENGINE_LAYERS core report numerics input impedance response analysis)
set(ENGINE_RANKS  0    1      2        3     4         5        6)
set(GUI_LAYERS core model files widgets forms plots views app)
set(GUI_RANKS  0    1     2     3       4     4     4     5)

if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers: ROOT is not set")
endif()

function(rank_of tree layer out)
  if(tree STREQUAL "engine")
    list(FIND ENGINE_LAYERS "${layer}" index)
    set(ranks ${ENGINE_RANKS})
  else()
    list(FIND GUI_LAYERS "${layer}" index)
    set(ranks ${GUI_RANKS})
  endif()
  if(index LESS 0)
    set(${out} -1 PARENT_SCOPE)
  else()
    list(GET ranks ${index} rank)
    set(${out} ${rank} PARENT_SCOPE)
  endif()
endfunction()

set(TREES engine gui)

set(violations "")
foreach(tree ${TREES})
  file(GLOB_RECURSE sources RELATIVE "${ROOT}"
       "${ROOT}/${tree}/*.hpp" "${ROOT}/${tree}/*.h" "${ROOT}/${tree}/*.cpp")
  foreach(source ${sources})
    # engine/<layer>/file or gui/<layer>/file; files directly in the tree's
    # folder (gui/main.cpp) sit on top of every layer.
    string(REPLACE "/" ";" parts "${source}")
    list(LENGTH parts depth)
    if(depth LESS 3)
      continue()
    endif()
    list(GET parts 1 layer)
    rank_of(${tree} "${layer}" own_rank)
    if(own_rank LESS 0)
      list(APPEND violations "${source}: folder '${layer}' is not a known layer of ${tree}/")
      continue()
    endif()
    file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"(engine|gui)/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/([^/\"]+)/?.*\".*$" "\\1;\\2" target "${line}")
      list(GET target 0 target_tree)
      list(GET target 1 target_layer)
      if(NOT target_tree STREQUAL tree)
        list(APPEND violations "${source}: includes ${target_tree}/ (the engine and the program share no code)")
        continue()
      endif()
      rank_of(${tree} "${target_layer}" target_rank)
      if(target_rank LESS 0)
        list(APPEND violations "${source}: includes '${line}', outside the layers")
      elseif(NOT target_layer STREQUAL layer AND NOT target_rank LESS own_rank)
        list(APPEND violations "${source}: layer '${layer}' includes '${target_layer}', which is not below it")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
