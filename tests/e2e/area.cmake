# The end-to-end tests start the real binary in a real window: under a private Xvfb when no
# display is there.
if(TARGET vistrel)
  add_dependencies(e2e_tests vistrel)
endif()
set(area_launcher ${PROJECT_SOURCE_DIR}/scripts/with-display --private)
