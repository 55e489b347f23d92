// Placeholder until the engine behind --graph is in this build.
#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdGraph(const Args&) {
    std::fprintf(stderr, "zelko: --graph is not available in this build\n");
    return 2;
}

}  // namespace cli
