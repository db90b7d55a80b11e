# zel_add_pkgconfig(<library> DESCRIPTION <text> [REQUIRES <module>...]
#                   [REQUIRES_PRIVATE <module>...] [LIBS_PRIVATE <flag>...]):
# writes <library>.pc and installs it into <libdir>/pkgconfig, beside the
# CMake package. REQUIRES are the modules whose headers the library's public
# headers include; REQUIRES_PRIVATE and LIBS_PRIVATE are what only its own
# code uses (needed to link it statically).
include_guard(GLOBAL)

function(zel_add_pkgconfig library)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION" "REQUIRES;REQUIRES_PRIVATE;LIBS_PRIVATE")
  set(ZEL_PC_NAME ${library})
  set(ZEL_PC_DESCRIPTION "${arg_DESCRIPTION}")
  list(JOIN arg_REQUIRES " " ZEL_PC_REQUIRES)
  list(JOIN arg_REQUIRES_PRIVATE " " ZEL_PC_REQUIRES_PRIVATE)
  list(JOIN arg_LIBS_PRIVATE " " ZEL_PC_LIBS_PRIVATE)
  # The prefix is found from the .pc file's own folder, so that the package
  # works wherever `cmake --install --prefix` put it.
  set(pcdir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR})
    set(ZEL_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
  else()
    file(RELATIVE_PATH up /root/${pcdir} /root)
    string(REGEX REPLACE "/$" "" up "${up}")
    set(ZEL_PC_PREFIX "\${pcfiledir}/${up}")
  endif()
  foreach(kind LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE ${CMAKE_INSTALL_${kind}})
      set(ZEL_PC_${kind} ${CMAKE_INSTALL_${kind}})
    else()
      set(ZEL_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
    endif()
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/zel.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${library}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${library}.pc DESTINATION ${pcdir})
endfunction()
