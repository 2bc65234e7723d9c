# Installing Verdalo as a desktop program (cmake --install, make install) and
# the packages made from an install (make package, make package-windows).
# Linux: the GNU layout, with a menu entry, an icon, AppStream metadata, a
# manual page and the docs. Windows: one folder, verdalo.exe beside its images.

set(VERDALO_APP_ID org.verdalo.verdalo)
set(VERDALO_MAINTAINER "Verdalo developers <verdalo@example.org>")
# The release's date as seconds since 1970: the metadata, the manual page and
# the changelog all give it, and the same sources make the same files.
set(VERDALO_RELEASE_EPOCH 1796990400)
set(_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${VERDALO_RELEASE_EPOCH})
string(TIMESTAMP VERDALO_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VERDALO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${_epoch}")

if(WIN32)
  set(VERDALO_BINDIR .)
  set(VERDALO_DATADIR .)
  set(VERDALO_DATA_FROM_PROGRAM "")
else()
  include(GNUInstallDirs)
  set(VERDALO_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(VERDALO_DATADIR ${CMAKE_INSTALL_DATADIR}/verdalo)
  file(RELATIVE_PATH VERDALO_DATA_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/verdalo)
  string(APPEND VERDALO_DATA_FROM_PROGRAM /)
endif()
# Where the program looks for the tree images its working directory lacks.
set_property(SOURCE ${PROJECT_SOURCE_DIR}/trees/treefiles.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS VERDALO_DATA_FROM_PROGRAM="${VERDALO_DATA_FROM_PROGRAM}")

install(TARGETS verdalo RUNTIME DESTINATION ${VERDALO_BINDIR})
install(FILES assets/tree1.tga assets/tree2.tga DESTINATION ${VERDALO_DATADIR})

set(_made ${PROJECT_BINARY_DIR}/package)
if(WIN32)
  configure_file(package/windows-readme.txt ${_made}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${_made}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${_made}/README.txt ${_made}/LICENSE.txt DESTINATION .)
else()
  configure_file(package/verdalo.metainfo.xml.in ${_made}/${VERDALO_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${_made}/${VERDALO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES package/verdalo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
  install(FILES README.md LICENSE package/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The menu entry and the manual page name the folders the install really
  # uses, so they are written when it runs (cmake/install-written.cmake).
  install(CODE "
    set(VERDALO_BINDIR [[${VERDALO_BINDIR}]])
    set(VERDALO_DATADIR [[${VERDALO_DATADIR}]])
    set(VERDALO_DATAROOTDIR [[${CMAKE_INSTALL_DATADIR}]])
    set(VERDALO_MANDIR [[${CMAKE_INSTALL_MANDIR}]])
    set(VERDALO_DOCDIR [[${CMAKE_INSTALL_DOCDIR}]])
    set(VERDALO_SOURCE [[${PROJECT_SOURCE_DIR}]])
    set(VERDALO_MAINTAINER [[${VERDALO_MAINTAINER}]])
    set(VERDALO_RELEASE_DATE [[${VERDALO_RELEASE_DATE}]])
    set(VERDALO_CHANGELOG_DATE [[${VERDALO_CHANGELOG_DATE}]])
    set(PROJECT_VERSION [[${PROJECT_VERSION}]])
    include([[${CMAKE_CURRENT_LIST_DIR}/install-written.cmake]])
  ")

  # Makes package/verdalo.png from assets/tree1.tga (`make trees`).
  add_executable(make_icon tools/make_icon.cpp)
  target_link_libraries(make_icon PRIVATE verdalo_image)
  set_target_properties(make_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()

# The packages: cmake/package.cmake (make package) and make package-windows.
set(CPACK_PACKAGE_NAME verdalo)
set(CPACK_PACKAGE_VENDOR "The Verdalo developers")
set(CPACK_PACKAGE_CONTACT "${VERDALO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fly-through over a random fractal landscape with trees")
set(CPACK_PACKAGE_DESCRIPTION [[Verdalo grows a random fractal landscape at every start, colours it by
height (blue water, green land, pale snow) and scatters two kinds of trees
over the land. You then walk, fly, turn and zoom through it with the
keyboard; F5 grows a new world. It draws with OpenGL 1.1, GLU and GLUT.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-options.cmake)
set(CPACK_VERDALO_ARCHIVE_PREFIX ${CMAKE_INSTALL_PREFIX})
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME verdalo-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME verdalo-${PROJECT_VERSION}-Linux)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # The dependencies are the libraries the program links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
endif()
include(CPack)
