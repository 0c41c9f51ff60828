// A program that waits and does nothing else, for tests that need a real process to find
// and stop. It ends by itself after the number of seconds given as its first argument
// (default 300), so that a test that fails to clean up leaves nothing running for long.
// A second argument names a file it creates at start, relative to its working folder.
#include "platform/Win32.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    unsigned long seconds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
    if (argc > 2) {
        if (std::FILE* marker = std::fopen(argv[2], "w")) {
            std::fclose(marker);
        }
    }
    for (unsigned long i = 0; i < seconds * 10; ++i) {
        Sleep(100);
    }
    return 0;
}
