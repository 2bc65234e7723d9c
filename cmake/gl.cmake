# OpenGL, GLU and GLUT, found the same way by the build and by the set-up
# script's probe (cmake/probe), so that both agree on what is missing.
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL)
find_package(GLUT)
# On macOS Apple's GLUT framework comes first; Homebrew's freeglut serves
# where it is absent.
if(APPLE AND NOT GLUT_FOUND)
  find_package(PkgConfig)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(FREEGLUT IMPORTED_TARGET glut)
  endif()
  if(FREEGLUT_FOUND)
    add_library(GLUT::GLUT ALIAS PkgConfig::FREEGLUT)
    set(GLUT_FOUND TRUE)
    set(VERDALO_FREEGLUT TRUE)
  endif()
endif()

set(VERDALO_GL_MISSING)
if(NOT OPENGL_FOUND)
  list(APPEND VERDALO_GL_MISSING gl)
endif()
if(NOT OPENGL_GLU_FOUND)
  list(APPEND VERDALO_GL_MISSING glu)
endif()
if(NOT GLUT_FOUND)
  list(APPEND VERDALO_GL_MISSING glut)
endif()
