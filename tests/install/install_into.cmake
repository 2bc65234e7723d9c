# A fresh install of the build BUILD into PREFIX, as a person would make one.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install ${BUILD} --prefix ${PREFIX} failed")
endif()
