// import vem: a line-and-land file brought into a document as one group.

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archive/Cp932.h"
#include "archive/Safefile.h"
#include "cli/Commands.h"
#include "import/Vemoimport.h"
#include "import/Vemoimporter.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "settings/Settings.h"

namespace cli {

namespace {

// Line-and-land files are small text files; a larger one is not one of them.
constexpr std::size_t kMaxVemBytes = std::size_t(256) << 20;

struct ImportArgs {
    std::string input;
    std::string output;
    std::string into;
    std::vector<std::string> maps;
};

int RunImport(Session& session, const ImportArgs& args) {
    TImportLayerMap map;
    for (const std::string& pair : args.maps) {
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == pair.size())
            return session.Usage("--map needs LEGACY=LAYER, not \"" + pair + "\"");
        const std::string dest = pair.substr(eq + 1);
        if (!CanEncodeCp932(dest))
            return session.Usage("--map: a document layer name cannot hold \"" + dest + "\"");
        map[pair.substr(0, eq)] = dest;
    }
    const bool mapGiven = !args.maps.empty();

    std::string bytes, error;
    if (!ReadWholeFile(args.input, bytes, error, kMaxVemBytes)) return session.Fail(error);
    if (!mapGiven) map = ReadImportLayerMap(settings::ReadSettingsFile(settings::SettingsFilePath()));

    const std::unique_ptr<TVemoDocument> document = BaseDocument(session, args.into);
    if (!document) return kExitFailed;

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
    session.Timing("imported " + args.input);
    if (!report.drawItemsFound)
        return session.Fail(args.input + ": no " + (report.versionFound ? "" : "version marker and no ") +
                            "[DrawItems] section; nothing imported");

    session.Say(args.input + ": " + std::to_string(report.items) + " items imported as one group");
    const std::set<std::string> legacySet(legacy.begin(), legacy.end());
    for (const auto& [name, dest] : map)
        if (mapGiven && !legacySet.count(name))
            session.Warn("--map " + name + ": the file has no such layer");
    for (std::size_t r = 0; r < legacy.size(); ++r) {
        if (!destinations[r].empty())
            session.Say("  layer " + legacy[r] + " -> " + destinations[r]);
        else
            session.Warn("layer " + legacy[r] + " has no destination: " + std::to_string(report.unmapped[r]) +
                         " items dropped");
    }
    for (const std::string& name : result.createdLayers)
        session.Warn("the document had no layer \"" + name + "\": a new layer of that name was made");
    if (report.unknownLayer > 0)
        session.Warn(std::to_string(report.unknownLayer) + " items without a defined layer number dropped");
    if (report.malformed > 0) {
        std::string words;
        for (std::size_t i = 0; i < report.malformedWords.size(); ++i)
            words += (i == 0 ? ": " : ", ") + report.malformedWords[i];
        if (int(report.malformedWords.size()) < report.malformed) words += ", ...";
        session.Warn(std::to_string(report.malformed) + " malformed items dropped" + words);
    }
    if (report.items == 0)
        return session.Fail(args.input + ": nothing imported" +
                            (mapGiven ? "" : " (no remembered destinations; give --map LEGACY=LAYER)"));
    return WriteBoard(session, *document, args.output) ? 0 : kExitFailed;
}

}  // namespace

void AddImportVem(CLI::App& importCommand, Registry& registry) {
    auto args = std::make_shared<ImportArgs>();
    CLI::App* vem =
        importCommand.add_subcommand("vem", "Add a line-and-land file (.vem) to a document as one group");
    vem->add_option("FILE", args->input, "the line-and-land file")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    vem->add_option("-o,--output", args->output, "the document to write (.vbf)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    vem->add_option("--map", args->maps,
                    "put legacy layer LEGACY on document layer LAYER (made when missing); may be repeated. "
                    "Without --map the mapping remembered by the import dialog is used; "
                    "a legacy layer without a destination is left out")
        ->type_name("LEGACY=LAYER")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    vem->add_option("--into", args->into, "add to this document instead of a new one")
        ->check(kInputFile)
        ->type_name("BASE");
    registry.Add(vem, [args](Session& session) { return RunImport(session, *args); });
}

}  // namespace cli
