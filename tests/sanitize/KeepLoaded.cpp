// Built into every program of the sanitizer build. A library unloaded before
// the program ends (the OpenGL driver is, when the display closes) leaves
// its leaks without a module name, so tests/lsan.supp cannot match them;
// here dlclose() keeps every library loaded until the end instead.
extern "C" int dlclose(void*) {
    return 0;
}
