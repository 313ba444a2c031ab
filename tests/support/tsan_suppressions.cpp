// Built into every test program of a ThreadSanitizer build.
//
// Qt is not built with the sanitizer. Its raster engine draws large images on a pool of worker
// threads, synchronised by Qt's own futex-based locks, which the sanitizer cannot see; so the
// allocations and copies Qt makes on those threads look like races with the window thread. Only
// the calls Qt itself makes into the sanitizer's interceptors are ignored: every access our code
// makes, on any thread, is still checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n";
}
