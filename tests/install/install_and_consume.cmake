# Installs the build tree into a fresh prefix, then configures, builds and runs
# the consumer project against that prefix alone.
# Expects BUILD_DIR, PREFIX, WORK_DIR, CONSUMER_DIR, GENERATOR, CXX_COMPILER,
# BUILD_TYPE, CXX_FLAGS and LINK_FLAGS (those the libraries were built with).

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})

foreach(installed bin/morvane-convert bin/morvane-check include/morvane/morvane.hpp
                  share/man/man1/morvane-convert.1 share/man/man1/morvane-check.1)
  if(NOT EXISTS ${PREFIX}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
    -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${WORK_DIR})
run(${WORK_DIR}/consumer)
if(NOT last_output MATCHES "consumer ok")
  message(FATAL_ERROR "the consumer did not run through: ${last_output}")
endif()
