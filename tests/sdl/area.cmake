# The desktop tests look at a real X screen: under a private Xvfb when no display is there.
target_link_libraries(sdl_tests PRIVATE PkgConfig::X11 PkgConfig::SDL2)
set(area_launcher ${PROJECT_SOURCE_DIR}/scripts/with-display --private)
