// --import-vem: a line-and-land file brought into a document as one group.

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archive/Cp932.h"
#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "import/Vemoimport.h"
#include "import/Vemoimporter.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "settings/Settings.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: zelko --import-vem FILE.vem [--map LEGACY=LAYER ...] [--into BASE.vbf] -o OUT.vbf\n"
    "  without --map, the layer mapping remembered by the import dialog is used;\n"
    "  a legacy layer without a destination is left out\n";

// Line-and-land files are small text files; a larger one is not one of them.
constexpr std::size_t kMaxVemBytes = std::size_t(256) << 20;

int Usage(const char* problem, const std::string& word) {
    std::fprintf(stderr, "zelko: %s '%s'\n%s", problem, word.c_str(), kUsage);
    return 2;
}

}  // namespace

int CmdImportVem(const Args& args) {
    std::vector<std::string> positional;
    TImportLayerMap map;
    bool mapGiven = false;
    std::string into, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--map" && hasValue) {
            const std::string& pair = args[++i];
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos || eq == 0) return Usage("--map needs LEGACY=LAYER, not", pair);
            const std::string dest = pair.substr(eq + 1);
            if (!CanEncodeCp932(dest)) return Usage("a document layer name cannot hold", dest);
            map[pair.substr(0, eq)] = dest;
            mapGiven = true;
        } else if (a == "--into" && hasValue) {
            into = args[++i];
        } else if (a == "-o" && hasValue) {
            output = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unexpected", a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1 || output.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const std::string& input = positional[0];

    std::string bytes, error;
    if (!ReadWholeFile(input, bytes, error, kMaxVemBytes)) {
        std::fprintf(stderr, "zelko: %s\n", error.c_str());
        return 1;
    }
    if (!mapGiven) map = ReadImportLayerMap(settings::ReadSettingsFile(settings::SettingsFilePath()));

    const std::unique_ptr<TVemoDocument> document = BaseDocument(into);
    if (!document) return 1;

    // The layers first, as the import dialog shows them, then the items.
    std::vector<std::string> legacy;
    {
        std::istringstream in(bytes);
        const TVemoImporter names(in);
        legacy = names.LayerNames();
    }
    const std::vector<std::string> destinations = DestinationsFor(legacy, map);
    std::istringstream in(bytes);
    const TVemoImportResult result = ImportVemo(in, destinations, *document);
    const TVemoImportReport& report = result.report;
    if (!report.drawItemsFound) {
        std::fprintf(stderr, "zelko: %s: no %s%s section; nothing imported\n", input.c_str(),
                     report.versionFound ? "" : "version marker and no ", "[DrawItems]");
        return 1;
    }

    std::printf("%s: %d items imported as one group\n", input.c_str(), report.items);
    const std::set<std::string> legacySet(legacy.begin(), legacy.end());
    for (const auto& [name, dest] : map)
        if (mapGiven && !legacySet.count(name))
            std::printf("  --map %s: the file has no such layer\n", name.c_str());
    for (std::size_t r = 0; r < legacy.size(); ++r) {
        if (!destinations[r].empty())
            std::printf("  layer %s -> %s\n", legacy[r].c_str(), destinations[r].c_str());
        else
            std::printf("  layer %s: no destination, %d items dropped\n", legacy[r].c_str(),
                        report.unmapped[r]);
    }
    for (const std::string& name : result.createdLayers) std::printf("  new layer %s\n", name.c_str());
    if (report.unknownLayer > 0)
        std::printf("  %d items without a defined layer number dropped\n", report.unknownLayer);
    if (report.malformed > 0) {
        std::printf("  %d malformed items dropped", report.malformed);
        for (std::size_t i = 0; i < report.malformedWords.size(); ++i)
            std::printf("%s%s", i == 0 ? ": " : ", ", report.malformedWords[i].c_str());
        std::printf("%s\n", int(report.malformedWords.size()) < report.malformed ? ", ..." : "");
    }

    if (report.items == 0) {
        std::fprintf(stderr, "zelko: %s: nothing imported%s\n", input.c_str(),
                     mapGiven ? "" : " (no remembered destinations; give --map LEGACY=LAYER)");
        return 1;
    }

    if (!WriteDocumentFile(*document, output, error)) {
        std::fprintf(stderr, "zelko: cannot write %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace cli
