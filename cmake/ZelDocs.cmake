# The API reference: doxygen over the public headers (zel_*.hpp) and the
# pages in docs/. `cmake --build <dir> --target docs` writes <dir>/docs/html
# (ZEL_DOCS_DIR/html).
# A test runs the same configuration with every warning an error, so an
# undocumented public declaration fails the suite; it is skipped (not passed)
# where doxygen is not installed.

find_package(Doxygen QUIET)

file(GLOB_RECURSE ZEL_DOCS_HEADERS CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/core/zel_*.hpp
  ${PROJECT_SOURCE_DIR}/gui/zel_*.hpp
  ${PROJECT_SOURCE_DIR}/num/zel_*.hpp
  ${PROJECT_SOURCE_DIR}/mol/zel_*.hpp
  ${PROJECT_SOURCE_DIR}/map/zel_*.hpp
  ${PROJECT_SOURCE_DIR}/qt/zel_*.hpp)
file(GLOB ZEL_DOCS_PAGES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.dox)
list(SORT ZEL_DOCS_HEADERS)
# Public headers generated into the build tree are added by whoever makes them.
list(APPEND ZEL_DOCS_HEADERS ${ZEL_DOCS_GENERATED_HEADERS})
string(REPLACE ";" " \\\n  " ZEL_DOCS_INPUT "${ZEL_DOCS_PAGES};${ZEL_DOCS_HEADERS}")

# zel_docs_configure(<out-file> <output-dir> <warn-as-error>)
function(zel_docs_configure out outdir werror)
  set(ZEL_DOCS_OUTPUT ${outdir})
  set(ZEL_DOCS_WARN_AS_ERROR ${werror})
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${out} @ONLY)
endfunction()

set(ZEL_DOCS_DIR ${PROJECT_BINARY_DIR}/docs CACHE PATH
  "Where the docs target writes the reference (html/ below it)")
zel_docs_configure(${ZEL_DOCS_DIR}/Doxyfile ${ZEL_DOCS_DIR} NO)
# The test's run writes its own copy, so that it never races the docs target.
zel_docs_configure(${ZEL_DOCS_DIR}/Doxyfile.check ${ZEL_DOCS_DIR}/check FAIL_ON_WARNINGS)

if(DOXYGEN_FOUND)
  add_custom_target(docs
    COMMAND Doxygen::doxygen ${ZEL_DOCS_DIR}/Doxyfile
    WORKING_DIRECTORY ${ZEL_DOCS_DIR}
    COMMENT "API reference in ${ZEL_DOCS_DIR}/html"
    VERBATIM)
else()
  add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -E echo "docs: doxygen is not installed (scripts/deps installs it)"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()

if(ZEL_BUILD_TESTS)
  add_test(NAME docs_reference
    COMMAND sh ${PROJECT_SOURCE_DIR}/docs/check-docs.sh
      "${DOXYGEN_EXECUTABLE}" ${ZEL_DOCS_DIR}/Doxyfile.check)
  set_tests_properties(docs_reference PROPERTIES SKIP_RETURN_CODE 77)
endif()
