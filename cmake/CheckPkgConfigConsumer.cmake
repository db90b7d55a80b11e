# Installs the build tree into a scratch prefix, checks what the package
# holds, then compiles examples/consumer/main.cpp with one compiler command
# from `pkg-config --cflags --libs` (no CMake in the consumer) and runs it
# without LD_LIBRARY_PATH. The program's rpath names only the prefix's lib
# folder, so it starts only if the libraries it does not link directly
# (zelnum_rt needs zelgui_rt) are found through their own $ORIGIN runpath.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  OUTPUT_QUIET RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

# Only public headers ship: zel_*.hpp, none of the private *_impl.hpp.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*)
list(LENGTH headers count)
if(count EQUAL 0)
  message(FATAL_ERROR "no headers installed")
endif()
foreach(header IN LISTS headers)
  if(NOT header MATCHES "^zel/[a-z0-9/]+/zel_[a-z0-9_]+\\.hpp$" OR header MATCHES "_impl\\.hpp$")
    message(FATAL_ERROR "installed header that is not public: ${header}")
  endif()
endforeach()
if(NOT EXISTS ${prefix}/include/zel/core/zel_version.hpp)
  message(FATAL_ERROR "the generated version header is not installed")
endif()
file(GLOB_RECURSE licence ${prefix}/share/doc/*/LICENSE)
if(NOT licence)
  message(FATAL_ERROR "the licence is not installed")
endif()

file(GLOB_RECURSE pc_files ${prefix}/*/zelcore_rt.pc)
list(LENGTH pc_files count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one zelcore_rt.pc below ${prefix}, found: ${pc_files}")
endif()
get_filename_component(pc_dir ${pc_files} DIRECTORY)
# Our modules from the scratch prefix only; the system's modules (freetype2
# and the like) stay reachable.
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
set(modules zelmap_rt zelmol_rt zelnum_rt zelcore_rt)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs ${modules}
  OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "pkg-config --cflags --libs ${modules} failed: ${rc}")
endif()
execute_process(COMMAND ${PKG_CONFIG} --variable=libdir zelcore_rt
  OUTPUT_VARIABLE libdir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc OR NOT IS_DIRECTORY "${libdir}")
  message(FATAL_ERROR "pkg-config gives no usable libdir: '${libdir}'")
endif()
# A numerics user does not see the graphics layer: it is a private module.
execute_process(COMMAND ${PKG_CONFIG} --libs zelnum_rt OUTPUT_VARIABLE num_libs RESULT_VARIABLE rc)
if(rc OR num_libs MATCHES "zelgui_rt" OR NOT num_libs MATCHES "-lzelnum_rt")
  message(FATAL_ERROR "pkg-config --libs zelnum_rt gives '${num_libs}'")
endif()
message("pkg-config: ${pc_flags}")

# Each installed library finds the libraries it needs beside itself, without
# LD_LIBRARY_PATH: the consumer below links all of them, so this is what
# shows that a program linked against one library finds the others.
find_program(LDD ldd)
file(GLOB libraries ${libdir}/libzel*.so)
if(LDD AND libraries)
  foreach(library IN LISTS libraries)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${LDD} ${library}
      OUTPUT_VARIABLE deps RESULT_VARIABLE rc)
    string(REGEX MATCHALL "libzel[a-z_]+\\.so[.0-9]* => [^ ]*" zel_deps "${deps}")
    foreach(dep IN LISTS zel_deps)
      if(rc OR NOT dep MATCHES " => ${libdir}/")
        message(FATAL_ERROR "${library} does not find its own dependency in ${libdir}: ${dep}")
      endif()
    endforeach()
    message("${library}: ${zel_deps}")
  endforeach()
elseif(NOT libraries)
  message(FATAL_ERROR "no zel libraries in ${libdir}")
endif()

separate_arguments(pc_args UNIX_COMMAND "${pc_flags}")
set(program ${WORK_DIR}/consumer)
execute_process(COMMAND ${CXX} -std=c++20 ${EXTRA_FLAGS} ${SOURCE} -o ${program} ${pc_args}
    -Wl,-rpath,${libdir}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "compiling the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${program}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
message("${out}${err}")
if(rc)
  message(FATAL_ERROR "the consumer failed: ${rc}")
endif()
