# The Debian package (cpack -G DEB from the build folder): package "terva",
# installed under /usr, with the run-time dependencies found by
# dpkg-shlibdeps (dpkg-dev) from the programs and the engine library.
include_guard(GLOBAL)

set(TERVA_PACKAGE_MAINTAINER "TERVA maintainers <terva@halvit.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME "terva")
set(CPACK_PACKAGE_VENDOR "Halvit")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${TERVA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "soil-foundation dynamics: machine foundations on soil and piles")
# The long description, line by line as dpkg shows it (under 80 columns).
set(CPACK_PACKAGE_DESCRIPTION [=[
TERVA computes, for every frequency of a range, the dynamic stiffness and
damping of a rigid footing on a half-space, on a stratum over rock, on a
multilayer soil column or on a pile group, solves the footing's equations of
motion for harmonic, transient or random loads and reports the response.

The package holds the desktop program terva, the command-line runner
terva-batch, the 3D viewer, the analysis engine library, the user manual and
example projects.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_PACKAGE_NAME "terva")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TERVA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine sits in a private folder that the loader does not search.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CPACK_PACKAGING_INSTALL_PREFIX}/${TERVA_INSTALL_ENGINEDIR}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The menu entry and the project type take effect through dpkg's triggers
# (desktop-file-utils, shared-mime-info); hicolor-icon-theme owns the icon
# folders.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "desktop-file-utils, shared-mime-info, hicolor-icon-theme, xdg-utils, python3-numpy")
# Parameter studies from Python: datasets, Dask clusters and progress bars.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-xarray, python3-netcdf4, python3-distributed, python3-tqdm")
# The Python package's path file sits in python3's module folder; added to
# the libraries' dependencies that shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")

include(CPack)
