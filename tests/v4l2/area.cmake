# The capture path through our V4L2 source, against the test dongle: a library that
# answers the V4L2 calls for /dev/video<N>. The test program links it, so its calls come
# before the C library's; the viewer binary gets it through LD_PRELOAD.
add_library(v4l2_dongle SHARED
  ${CMAKE_CURRENT_LIST_DIR}/dongle/dongle_device.cpp ${CMAKE_CURRENT_LIST_DIR}/dongle/dongle_frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dongle/dongle_libc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dongle/dongle_table.cpp ${CMAKE_CURRENT_LIST_DIR}/dongle/dongle_natural.cpp)
set_target_properties(v4l2_dongle PROPERTIES UNITY_BUILD OFF)
target_include_directories(v4l2_dongle PUBLIC ${CMAKE_CURRENT_LIST_DIR}/dongle)
target_link_libraries(v4l2_dongle PRIVATE opencv PkgConfig::TURBOJPEG Threads::Threads
  ${CMAKE_DL_LIBS})
# The sound test's umockdev testbed: the dongle's USB device, video node and sound card.
pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
target_link_libraries(v4l2_tests PRIVATE v4l2_dongle PkgConfig::UMOCKDEV)
target_compile_definitions(v4l2_tests PRIVATE
  VISTREL_DONGLE_LIBRARY="$<TARGET_FILE:v4l2_dongle>")
if(TARGET vistrel)
  add_dependencies(v4l2_tests vistrel)
endif()
set(area_launcher ${PROJECT_SOURCE_DIR}/scripts/with-display --private)
