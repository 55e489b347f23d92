// Placeholder until the engine behind --export-gerber is in this build.
#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdExportGerber(const Args&) {
    std::fprintf(stderr, "zelko: --export-gerber is not available in this build\n");
    return 2;
}

}  // namespace cli
