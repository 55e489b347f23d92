// zelko batch front end: converts and inspects boards without opening a window.

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "zelko %s - printed-circuit-board artwork editor\n"
                 "\n"
                 "usage: zelko [--help] [--version]\n"
                 "\n"
                 "  --help       show this text\n"
                 "  --version    show the version\n",
                 ZELKO_VERSION);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stdout);
        return 0;
    }
    const std::string arg = argv[1];
    if (arg == "--help" || arg == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    if (arg == "--version") {
        std::printf("zelko %s\n", ZELKO_VERSION);
        return 0;
    }
    std::fprintf(stderr, "zelko: unknown option '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
