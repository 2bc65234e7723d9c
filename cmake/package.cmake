# make package: the Debian package and the Linux archive, from the sources,
# in the build folder BUILD, where both files are left:
#   cmake -DBUILD=build-package -P cmake/package.cmake
# The .deb follows Debian's rule for games, the program in /usr/games; the
# archive keeps the GNU layout (bin/) and is meant for /usr/local. Both find
# their tree images at ../share/verdalo from the program, so one build serves.
cmake_minimum_required(VERSION 3.18)
get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
get_filename_component(build "${BUILD}" ABSOLUTE)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${build}" RESULT_VARIABLE failed)
  if(failed)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "package.cmake: '${command}' failed")
  endif()
endfunction()

file(MAKE_DIRECTORY "${build}")
# Debian's hardening: checked string and memory calls, and every symbol bound
# at start so the relocations can be made read-only.
set(configure "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
  -DCMAKE_C_FLAGS=-D_FORTIFY_SOURCE=2 -DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro,-z,now)
run(${configure} -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games)
if(NOT JOBS)
  set(JOBS 2)
endif()
run("${CMAKE_COMMAND}" --build "${build}" -j ${JOBS})
run("${CMAKE_CPACK_COMMAND}" -G DEB)
run(${configure} -DCMAKE_INSTALL_PREFIX=/usr/local -DCMAKE_INSTALL_BINDIR=bin)
run("${CMAKE_CPACK_COMMAND}" -G TGZ)
