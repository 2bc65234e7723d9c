# Run by `cmake --install` (cmake/install.cmake hands over the layout): writes
# the menu entry and the gzipped manual page for the prefix the files are
# meant for, into DESTDIR and the prefix installed into.

set(meant "$ENV{VERDALO_PREFIX}")
if(meant STREQUAL "")
  set(meant "${CMAKE_INSTALL_PREFIX}")
endif()
get_filename_component(VERDALO_EXEC "${VERDALO_BINDIR}/verdalo" ABSOLUTE BASE_DIR "${meant}")
get_filename_component(VERDALO_PATH "${VERDALO_DATADIR}" ABSOLUTE BASE_DIR "${meant}")
set(VERDALO_MAN_DATADIR "${VERDALO_PATH}")

# into(FOLDER VAR): VAR is where FOLDER of the prefix lies on this disk.
macro(into folder var)
  get_filename_component(${var} "${folder}" ABSOLUTE BASE_DIR "${CMAKE_INSTALL_PREFIX}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${${var}}")
  set(${var} "$ENV{DESTDIR}${${var}}")
endmacro()

into("${VERDALO_DATAROOTDIR}/applications/verdalo.desktop" entry)
message(STATUS "Installing: ${entry}")
configure_file("${VERDALO_SOURCE}/package/verdalo.desktop.in" "${entry}" @ONLY)

into("${VERDALO_MANDIR}/man6/verdalo.6.gz" page)
message(STATUS "Installing: ${page}")
string(REGEX REPLACE "[.]gz$" "" plain "${page}")
configure_file("${VERDALO_SOURCE}/package/verdalo.6.in" "${plain}" @ONLY)
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot gzip ${plain}")
endif()
