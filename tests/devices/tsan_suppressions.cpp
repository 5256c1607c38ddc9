// OpenCV's image codecs load GDAL, whose driver registration takes two of its own mutexes in
// both orders on one thread; ThreadSanitizer reports that as a possible deadlock inside the
// (uninstrumented) library on every first imread or imwrite.
extern "C" const char* __tsan_default_suppressions() {
    return "deadlock:libgdal.so\n";
}
