// A shared object that loads but is no Today item: it exports neither entry point.
extern "C" __attribute__((visibility("default"))) int zentrixTodayHostTestValue() {
    return 42;
}
