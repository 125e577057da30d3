# The version of the program, the engine, the packages and the Python
# package comes from project(VERSION ...) alone: configured into
# build/generated/terva/version.h, which every target reaches through the
# header-only target terva_version (#include "terva/version.h", TERVA_VERSION).
include_guard(GLOBAL)

configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${CMAKE_BINARY_DIR}/generated/terva/version.h @ONLY)
add_library(terva_version INTERFACE)
target_include_directories(terva_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
