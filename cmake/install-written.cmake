# Run by `cmake --install` (cmake/install.cmake hands over the layout): writes
# the menu entry, the manual page and the changelog straight into their place,
# the last two gzipped as Debian wants them. The entry and the page name the
# folders of the prefix the files are meant for: the one installed into, or
# VERDALO_PREFIX from the environment where set (an archive's, see
# cmake/cpack-options.cmake).

set(meant "$ENV{VERDALO_PREFIX}")
if(meant STREQUAL "")
  set(meant "${CMAKE_INSTALL_PREFIX}")
endif()
get_filename_component(VERDALO_EXEC "${VERDALO_BINDIR}/verdalo" ABSOLUTE BASE_DIR "${meant}")
get_filename_component(VERDALO_PATH "${VERDALO_DATADIR}" ABSOLUTE BASE_DIR "${meant}")

# write(TEMPLATE FILE [GZIP]): TEMPLATE configured as FILE of the prefix
# installed into (under DESTDIR), and listed among the installed files.
function(write template file)
  get_filename_component(path "${file}" ABSOLUTE BASE_DIR "${CMAKE_INSTALL_PREFIX}")
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${path}" PARENT_SCOPE)
  set(path "$ENV{DESTDIR}${path}")
  message(STATUS "Installing: ${path}")
  if(ARGN STREQUAL "GZIP")
    string(REGEX REPLACE "[.]gz$" "" plain "${path}")
    configure_file("${VERDALO_SOURCE}/package/${template}" "${plain}" @ONLY)
    execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot gzip ${plain}")
    endif()
  else()
    configure_file("${VERDALO_SOURCE}/package/${template}" "${path}" @ONLY)
  endif()
endfunction()

write(verdalo.desktop.in "${VERDALO_DATAROOTDIR}/applications/verdalo.desktop")
write(verdalo.6.in "${VERDALO_MANDIR}/man6/verdalo.6.gz" GZIP)
write(changelog.in "${VERDALO_DOCDIR}/changelog.gz" GZIP)
