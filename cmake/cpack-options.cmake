# Read by cpack before each package it makes. An archive's menu entry and
# manual page are written for the prefix it is meant to be unpacked into
# (cmake/install-entry.cmake), not for the folder cpack stages it in.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(ENV{VERDALO_PREFIX} "${CPACK_VERDALO_ARCHIVE_PREFIX}")
else()
  unset(ENV{VERDALO_PREFIX})
endif()
