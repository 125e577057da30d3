# The Python package terva (python/terva): pure Python on numpy.  Installed
# into Debian's module folder when the prefix is /usr, so that
# `python3 -c "import terva"` works after the package is installed, and
# otherwise under share/terva/python (add that folder to PYTHONPATH);
# TERVA_PYTHON_INSTALL_DIR chooses another folder.  From the source tree:
# PYTHONPATH=python python3 -c "import terva".
include(GNUInstallDirs)
set(TERVA_PYTHON_INSTALL_DIR "" CACHE PATH "Where the Python package terva is installed (empty: by the prefix)")
if(TERVA_PYTHON_INSTALL_DIR)
  set(_terva_python_dir "${TERVA_PYTHON_INSTALL_DIR}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_terva_python_dir "lib/python3/dist-packages")
else()
  set(_terva_python_dir "${CMAKE_INSTALL_DATADIR}/terva/python")
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/terva DESTINATION ${_terva_python_dir}
        COMPONENT python FILES_MATCHING PATTERN "*.py" PATTERN "_version.py" EXCLUDE)
# The installed package's version, from project(VERSION ...); in the source
# tree the package reads that line itself.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/python/terva/_version.py
     CONTENT "__version__ = \"${PROJECT_VERSION}\"\n")
install(FILES ${CMAKE_BINARY_DIR}/generated/python/terva/_version.py DESTINATION ${_terva_python_dir}/terva
        COMPONENT python)

# A /usr install of a tree configured for another prefix (the Debian
# package: cpack installs with a prefix ending in /usr) leaves the package
# under /usr/share/terva/python; a path file in Debian's module folder puts
# it on Python's path, so that `import terva` works after the package is
# installed.
if(NOT TERVA_PYTHON_INSTALL_DIR AND NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  install(CODE "
    if(CMAKE_INSTALL_PREFIX MATCHES \"/usr$\")
      file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/python3/dist-packages/terva.pth\"
           \"/usr/${_terva_python_dir}\\n\")
    endif()" COMPONENT python)
endif()
