// --generate-board: a synthetic board for trying out and measuring the program.

#include <cstdio>
#include <string>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"

namespace cli {

int CmdGenerateBoard(const Args& args) {
    TBoardOptions options;
    std::string out;
    bool haveCount = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue) {
            out = args[++i];
        } else if (a == "--seed" && hasValue) {
            if (!ParseNumber(args[++i], options.seed)) {
                std::fprintf(stderr, "zelko: --seed needs a whole number, not '%s'\n", args[i].c_str());
                return 2;
            }
        } else if (!haveCount && ParseNumber(a, options.objects) && options.objects > 0 && options.objects <= 10000000) {
            haveCount = true;
        } else {
            std::fprintf(stderr, "zelko: unexpected '%s'\n", a.c_str());
            std::fprintf(stderr, "usage: zelko --generate-board N [--seed S] -o OUT.vbf   (N from 1 to 10000000)\n");
            return 2;
        }
    }
    if (!haveCount || out.empty()) {
        std::fprintf(stderr, "usage: zelko --generate-board N [--seed S] -o OUT.vbf   (N from 1 to 10000000)\n");
        return 2;
    }
    const auto doc = GenerateBoard(options);
    std::string error;
    if (!WriteDocumentFile(*doc, out, error)) {
        std::fprintf(stderr, "zelko: cannot write %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    std::printf("wrote %s: %d objects on a %g x %g board (seed %u)\n", out.c_str(), doc->GetRoot().GetChildCount(),
                doc->GetAreaWidth(), doc->GetAreaHeight(), static_cast<unsigned>(options.seed));
    return 0;
}

}  // namespace cli
