// ChildProbe CODE [TEXT...]: prints every TEXT on a line of standard output, the value of the
// variable OVS_PROBE (or "<unset>") and "to stderr" on standard error, then exits with CODE,
// an unsigned 32-bit number. It lets the child-process tests see what a child receives.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        std::printf("%s\n", argv[i]);
    }
    const char* probe = std::getenv("OVS_PROBE");
    std::printf("OVS_PROBE=%s\n", probe != nullptr ? probe : "<unset>");
    std::fflush(stdout);
    std::fprintf(stderr, "to stderr\n");
    return argc > 1 ? static_cast<int>(std::strtoul(argv[1], nullptr, 10)) : 0;
}
