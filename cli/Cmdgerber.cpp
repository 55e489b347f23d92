// --export-gerber: one RS-274X file per output layer of a document.

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: zelko --export-gerber DIR [--pen-width MM] [--text-pen-width MM] [--layers NAME,NAME...] "
    "FILE.vbf\n";

// No pen is wider than a board; a typing slip of 1e30 would write an aperture
// of thirty digits that no photoplotter takes.
constexpr double kMaxPenWidthMm = 100.0;

bool ParseWidth(const std::string& text, double& value) {
    return ParseNumber(text, value) && std::isfinite(value) && value >= 0.0 && value <= kMaxPenWidthMm;
}

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        names.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names;
}

int Usage(const char* problem, const std::string& word) {
    std::fprintf(stderr, "zelko: %s '%s'\n%s", problem, word.c_str(), kUsage);
    return 2;
}

}  // namespace

int CmdExportGerber(const Args& args) {
    TGerberExportOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if ((a == "--pen-width" || a == "--text-pen-width") && hasValue) {
            double& width = a == "--pen-width" ? options.penWidth : options.textPenWidth;
            if (!ParseWidth(args[++i], width))
                return Usage("a width needs a number from 0 to 100 mm, not", args[i]);
        } else if (a == "--layers" && hasValue) {
            options.layers = SplitNames(args[++i]);
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return Usage("unexpected", a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    options.folder = positional[0];
    const std::string& input = positional[1];

    std::string error;
    const std::unique_ptr<TVemoDocument> document = ReadDocumentFile(input, error);
    if (!document) {
        std::fprintf(stderr, "zelko: cannot read %s: %s\n", input.c_str(), error.c_str());
        return 1;
    }
    const TGerberExportResult result = ExportGerber(*document, options);
    if (!result.error.empty()) {
        std::fprintf(stderr, "zelko: %s\n", result.error.c_str());
        return 1;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "zelko: warning: %s\n", warning.c_str());
    if (result.layers.empty()) std::fprintf(stderr, "zelko: warning: no layer is marked for output\n");
    for (const TGerberLayerResult& r : result.layers) {
        if (r.written)
            std::printf("%s\t%s\t%zu bytes\t%d apertures\t%d items\n", r.layer.c_str(), r.path.c_str(),
                        r.bytes, r.apertures, r.items);
        else
            std::fprintf(stderr, "zelko: layer \"%s\" not written%s%s: %s\n", r.layer.c_str(),
                         r.path.empty() ? "" : " to ", r.path.c_str(), r.error.c_str());
    }
    return result.Succeeded() ? 0 : 1;
}

}  // namespace cli
