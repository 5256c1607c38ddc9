# Debian's OpenCV 4.6 module packages ship neither a CMake config nor pkg-config files, so the
# headers and libraries are found directly.
find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
set(OpenCV_LIBS "")
# Only core and imgproc: pictures are read and written through libjpeg-turbo and libpng
# (platform/cvshim), and no HighGUI window is ever opened.
foreach(module core imgproc)
  find_library(OpenCV_${module}_LIBRARY opencv_${module} REQUIRED)
  list(APPEND OpenCV_LIBS ${OpenCV_${module}_LIBRARY})
endforeach()
add_library(opencv INTERFACE)
target_include_directories(opencv SYSTEM INTERFACE ${OpenCV_INCLUDE_DIR})
target_link_libraries(opencv INTERFACE ${OpenCV_LIBS})
# The C structures get their 2.4 constructors (CvScalar(b, g, r, a), IplImage from a Mat).
target_compile_definitions(opencv INTERFACE CV__ENABLE_C_API_CTORS)

find_package(PkgConfig REQUIRED)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
# Where no sound server runs, the dongle's card plays through alsa-lib.
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
# The sound tests and benchmark record what reaches the speakers with the simple API.
pkg_check_modules(PULSE_SIMPLE REQUIRED IMPORTED_TARGET libpulse-simple)
find_package(Threads REQUIRED)
if(VISTREL_TESTS)
  find_package(GTest REQUIRED)
  find_package(benchmark QUIET)
endif()
