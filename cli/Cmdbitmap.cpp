// --export-bitmap OUT.bmp|OUT.png [--ppi N] [--mono] [--mirror] [--negative]
//                 [--antialias] [--layers NAME,NAME...] FILE.vbf
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"
#include "output/Exportbitmap.h"

namespace cli {

namespace {

int Fail(const std::string& reason) {
    std::fprintf(stderr, "zelko: --export-bitmap: %s\n", reason.c_str());
    return 1;
}

int Usage(const std::string& reason) {
    std::fprintf(stderr,
                 "zelko: --export-bitmap: %s\n"
                 "usage: zelko --export-bitmap OUT.bmp|OUT.png [--ppi N] [--mono] [--mirror] [--negative]\n"
                 "                             [--antialias] [--layers NAME,NAME...] FILE.vbf\n",
                 reason.c_str());
    return 2;
}

std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const std::string::size_type comma = list.find(',', start);
        const std::string name =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!name.empty()) names.push_back(name);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names;
}

}  // namespace

int CmdExportBitmap(const Args& args) {
    if (args.empty()) return Usage("no output file given");
    const std::string out = args[0];
    TBitmapExportOptions options;
    std::string input;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--ppi") {
            if (i + 1 >= args.size()) return Usage("--ppi needs a number");
            if (!ParseNumber(args[++i], options.ppi))
                return Usage("--ppi: \"" + args[i] + "\" is not a number");
        } else if (word == "--mono") {
            options.monochrome = true;
        } else if (word == "--mirror") {
            options.mirror = true;
        } else if (word == "--negative") {
            options.negative = true;
        } else if (word == "--antialias") {
            options.antialias = true;
        } else if (word == "--layers") {
            if (i + 1 >= args.size()) return Usage("--layers needs a list of layer names");
            options.layers = SplitNames(args[++i]);
            if (options.layers.empty()) return Usage("--layers: no layer named");
        } else if (word.size() > 1 && word[0] == '-') {
            return Usage("unknown option \"" + word + "\"");
        } else if (input.empty()) {
            input = word;
        } else {
            return Usage("more than one document given");
        }
    }
    if (input.empty()) return Usage("no document given");
    if (options.negative && !options.monochrome)
        std::fprintf(stderr, "zelko: --export-bitmap: --negative applies to --mono only; ignored\n");

    std::string error;
    const std::unique_ptr<TVemoDocument> document = ReadDocumentFile(input, error);
    if (!document) return Fail(error);
    TBitmapExportResult result;
    if (!ExportBitmap(*document, out, options, result, error)) return Fail(error);
    std::printf("wrote %s: %d x %d pixels, %llu bytes\n", out.c_str(), result.width, result.height,
                static_cast<unsigned long long>(result.bytes));
    return 0;
}

}  // namespace cli
