# The Python package terva (python/terva): pure Python on numpy.  Installed
# into Debian's module folder when the prefix is /usr, so that
# `python3 -c "import terva"` works after the package is installed, and
# otherwise under share/terva/python (add that folder to PYTHONPATH).  From
# the source tree: PYTHONPATH=python python3 -c "import terva".
include(GNUInstallDirs)
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_terva_python_dir "lib/python3/dist-packages")
else()
  set(_terva_python_dir "${CMAKE_INSTALL_DATADIR}/terva/python")
endif()
set(TERVA_PYTHON_INSTALL_DIR "${_terva_python_dir}" CACHE PATH "Where the Python package terva is installed")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/terva DESTINATION ${TERVA_PYTHON_INSTALL_DIR}
        COMPONENT python FILES_MATCHING PATTERN "*.py")
