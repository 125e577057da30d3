# The layer check on small trees made for it: each case writes one file with
# one include and expects the check to pass or to fail naming that file.
#
#   cmake -DCHECK=<cmake/CheckLayers.cmake> -DWORK=<empty scratch folder> -P check_layers_test.cmake

set(failures "")

# case: expect (PASS or FAIL), the file, the header it includes
function(layer_case expect file header)
  set(root "${WORK}/tree")
  file(REMOVE_RECURSE "${root}")
  get_filename_component(dir "${root}/${file}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${root}/${file}" "// a case\n#include \"${header}\"\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${root} -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect STREQUAL "PASS" AND NOT rc EQUAL 0)
    list(APPEND failures "${file} including ${header}: refused, should pass\n${out}")
  elseif(expect STREQUAL "FAIL")
    string(FIND "${out}" "${file}" named)
    if(rc EQUAL 0 OR named LESS 0)
      list(APPEND failures "${file} including ${header}: passed, should fail naming the file\n${out}")
    endif()
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# the engine: each layer what the table gives it, nothing sideways or upward
layer_case(PASS engine/impedance/a.cpp engine/numerics/bessel.hpp)
layer_case(PASS engine/analysis/a.cpp engine/input/keywords.hpp)
layer_case(FAIL engine/impedance/a.cpp engine/input/keywords.hpp)
layer_case(FAIL engine/response/a.cpp engine/impedance/pile_group.hpp)
layer_case(FAIL engine/core/a.hpp engine/report/report.hpp)
layer_case(FAIL engine/numerics/a.cpp gui/core/Errors.hpp)
layer_case(FAIL engine/strange/a.cpp engine/core/scalar.hpp)
# the program: peers stay apart
layer_case(PASS gui/forms/a.cpp gui/widgets/DataEdit.hpp)
layer_case(FAIL gui/forms/a.cpp gui/plots/PlotForm.hpp)
layer_case(FAIL gui/model/a.cpp gui/files/ProjectWriter.hpp)
layer_case(FAIL gui/core/a.cpp engine/analysis/run_context.hpp)
layer_case(PASS gui/core/a.cpp engine/analysis/iterva.h)
# the report draws with the views and the plots; they know nothing of it
layer_case(PASS gui/report/a.cpp gui/views/GeometryView.hpp)
layer_case(PASS gui/app/a.cpp gui/report/CalcReportWriter.hpp)
layer_case(FAIL gui/report/a.cpp gui/app/Main.hpp)
layer_case(FAIL gui/plots/a.cpp gui/report/CalcReportWriter.hpp)
# the file layer alone reads engine inputs, through the reading header only
layer_case(PASS gui/files/a.cpp engine/analysis/read_input.hpp)
layer_case(FAIL gui/model/a.cpp engine/analysis/read_input.hpp)
layer_case(FAIL gui/files/a.cpp engine/analysis/run_context.hpp)
# the programs reach the engine only through its entry
layer_case(PASS tools/a.cpp gui/app/Main.hpp)
layer_case(FAIL tools/a.cpp engine/numerics/dft.hpp)
# the tests: their layer's uses, the tree's top layer, the support folders
layer_case(PASS tests/engine/impedance/a.cpp engine/analysis/run_context.hpp)
layer_case(PASS tests/engine/impedance/a.cpp tests/support/engine_run.hpp)
layer_case(FAIL tests/engine/impedance/a.cpp engine/input/keywords.hpp)
layer_case(PASS tests/gui/forms/a.cpp gui/app/Main.hpp)
layer_case(FAIL tests/gui/forms/a.cpp gui/views/Viewer.hpp)
layer_case(FAIL tests/gui/model/a.cpp gui/widgets/TableModel.hpp)

file(REMOVE_RECURSE "${WORK}/tree")
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
