// Linked into the sanitizer tree's programs that load the JVM. The JVM's own
// threads and signal handling defeat the leak checker's stop-the-world scan,
// which then ends the process with a fatal error; the address and
// undefined-behaviour checks stay on.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
