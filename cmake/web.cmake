# The browser build (emcmake, emscripten): GL, GLU and GLUT are emscripten's
# JavaScript libraries over WebGL, with its emulation of the fixed-function
# pipeline, so there is nothing to find; the targets only carry the link options.
add_library(OpenGL::GL INTERFACE IMPORTED GLOBAL)
add_library(OpenGL::GLU INTERFACE IMPORTED GLOBAL)
add_library(GLUT::GLUT INTERFACE IMPORTED GLOBAL)
# The terrain's single glBegin holds 393,216 vertices (about 7.9 MB), beyond the
# emulation's default 2 MiB buffer for immediate-mode vertices.
target_link_options(OpenGL::GL INTERFACE
  "SHELL:-s LEGACY_GL_EMULATION=1" "SHELL:-s GL_MAX_TEMP_BUFFER_SIZE=16777216")
set(VERDALO_GL_MISSING)

# Debian's emcc optimises its JavaScript with Debian's own acorn.
if(EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
endif()

# node runs the tests; node 20 needs its own fetch kept out of the emitted
# loader's way.
find_program(VERDALO_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VERDALO_NODE} --no-experimental-fetch)
