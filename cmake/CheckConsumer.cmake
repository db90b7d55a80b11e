# Installs the build tree into a scratch prefix, then configures, builds and
# runs examples/consumer against that prefix with find_package(zel).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
# The installed tool finds the libraries through its runpath.
if(EXISTS ${prefix}/bin/zel)
  execute_process(COMMAND ${prefix}/bin/zel --version OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(rc OR NOT out MATCHES "^zel ")
    message(FATAL_ERROR "the installed zel does not run: ${rc} ${out}")
  endif()
endif()
string(REPLACE ";" " " flags "${EXTRA_FLAGS}")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${flags}"
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer OUTPUT_VARIABLE out RESULT_VARIABLE rc)
message("${out}")
if(rc)
  message(FATAL_ERROR "the consumer failed: ${rc}")
endif()
