// Placeholder until the engine behind --generate-board is in this build.
#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdGenerateBoard(const Args&) {
    std::fprintf(stderr, "zelko: --generate-board is not available in this build\n");
    return 2;
}

}  // namespace cli
