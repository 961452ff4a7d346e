// Sanitizer settings built into every fuzz program. The shared sanitizer runtime
// does not come first among the program's libraries (the C++ runtime does, which
// defines no allocation function it intercepts), so its link-order check is off.
extern "C" char const* __asan_default_options() {
    return "verify_asan_link_order=0";
}

extern "C" char const* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}
