// Placeholder until the engine behind --import-vem is in this build.
#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdImportVem(const Args&) {
    std::fprintf(stderr, "zelko: --import-vem is not available in this build\n");
    return 2;
}

}  // namespace cli
