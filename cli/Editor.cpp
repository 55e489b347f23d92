#include <cstdio>

#include "cli/Commands.h"

namespace cli {

int OpenEditor(int, char**, const std::string& file) {
    std::fprintf(stderr,
                 "zelko: the editor window is not part of this build yet%s%s; "
                 "see 'zelko --help' for the batch commands\n",
                 file.empty() ? "" : ", so it cannot open ", file.c_str());
    return kExitFailed;
}

}  // namespace cli
