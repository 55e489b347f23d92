#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int CmdInfo(const Args&) { return 2; }
int CmdConvert(const Args&) { return 2; }

}  // namespace cli
