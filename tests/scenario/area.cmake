# The scenario tests run the real binary on the headless backend.
if(TARGET vistrel)
  add_dependencies(scenario_tests vistrel)
endif()
