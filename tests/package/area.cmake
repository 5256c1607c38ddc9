# The package test packs the built program with CPack (so the program is built first), unpacks
# the package and starts that copy on a private Xvfb.
if(TARGET vistrel)
  add_dependencies(package_tests vistrel)
endif()
target_compile_definitions(package_tests PRIVATE VISTREL_CPACK="${CMAKE_CPACK_COMMAND}")
set(area_launcher ${PROJECT_SOURCE_DIR}/scripts/with-display --private)
