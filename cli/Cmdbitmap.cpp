// Placeholder until the engine behind --export-bitmap is in this build.
#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdExportBitmap(const Args&) {
    std::fprintf(stderr, "zelko: --export-bitmap is not available in this build\n");
    return 2;
}

}  // namespace cli
