// export gerber: one RS-274X file per output layer of a document.

#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// No pen is wider than a board; a typing slip of 1e30 would write an aperture
// of thirty digits that no photoplotter takes.
constexpr double kMaxPenWidthMm = 100.0;

struct GerberArgs {
    std::string input;
    std::string folder;
    std::string penWidth = "0.3";
    std::string textPenWidth = "0.1";
    std::vector<std::string> layers;
};

// The first folder of path that does not exist yet: what a run creates and
// must take away again when it fails.
fs::path FirstMissing(const fs::path& path) {
    std::error_code ec;
    fs::path missing;
    for (fs::path p = fs::absolute(path, ec); !p.empty(); p = p.parent_path()) {
        if (fs::exists(p, ec)) break;
        missing = p;
        if (p == p.parent_path()) break;
    }
    return missing;
}

int RunGerber(Session& session, const GerberArgs& args) {
    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;

    TGerberExportOptions options;
    ParseNumber(args.penWidth, options.penWidth);
    ParseNumber(args.textPenWidth, options.textPenWidth);
    if (!args.layers.empty()) {
        const std::vector<std::string> names = LayerNames(args.layers);
        if (names.empty()) return session.Usage("--layers: no layer named");
        std::string error;
        if (!CheckLayers(*doc, names, error)) return session.Fail(error + "; nothing written");
        options.layers = names;
    }

    std::error_code ec;
    if (fs::exists(args.folder, ec) && !fs::is_directory(args.folder, ec))
        return session.Fail(args.folder + " is a file, not a folder; nothing written");
    const fs::path created = FirstMissing(args.folder);
    if (!created.empty() && !fs::create_directories(args.folder, ec))
        return session.Fail("cannot make the folder " + args.folder + ": " + ec.message());
    options.folder = args.folder;
    options.progress = [&](int index, int count, const std::string& layer) {
        session.Progress("layer " + std::to_string(index + 1) + " of " + std::to_string(count) + ": " +
                         layer);
    };

    const TGerberExportResult result = ExportGerber(*doc, options);
    session.EndProgress();
    session.Timing("exported");
    const auto undoFolder = [&] {
        if (!created.empty()) fs::remove_all(created, ec);
    };
    if (!result.error.empty()) {
        undoFolder();
        return session.Fail(result.error);
    }
    for (const std::string& warning : result.warnings) session.Warn(warning);
    if (result.layers.empty()) {
        undoFolder();
        return session.Fail("no layer is marked for output: choose some with --layers; nothing written");
    }
    bool allWritten = true;
    for (const TGerberLayerResult& r : result.layers) {
        if (!r.written) {
            allWritten = false;
            session.Fail("layer \"" + r.layer + "\" not written" + (r.path.empty() ? "" : " to " + r.path) +
                         ": " + r.error);
            continue;
        }
        session.Say("wrote " + r.path + " (" + std::to_string(r.bytes) + " bytes, " +
                    std::to_string(r.apertures) + " apertures, " + std::to_string(r.items) + " objects)");
        if (r.items == 0)
            session.Warn("layer \"" + r.layer + "\" has nothing on it: " + r.path + " draws nothing");
    }
    if (!allWritten) {
        bool anyWritten = false;
        for (const TGerberLayerResult& r : result.layers) anyWritten = anyWritten || r.written;
        if (!anyWritten) undoFolder();
        return kExitFailed;
    }
    return 0;
}

}  // namespace

void AddExportGerber(CLI::App& exportCommand, Registry& registry) {
    auto args = std::make_shared<GerberArgs>();
    CLI::App* gerber = exportCommand.add_subcommand(
        "gerber", "Write one RS-274X Gerber file per output layer: DIR/<layer>.gbr");
    gerber->add_option("FILE", args->input, "the document (.vbf)")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    gerber->add_option("-o,--output", args->folder, "the folder to write into (made when missing)")
        ->required()
        ->check(kOutputPath)
        ->type_name("DIR");
    gerber
        ->add_option("--pen-width", args->penWidth,
                     "pen for filled objects without a width of their own, in mm")
        ->default_str("0.3")
        ->check(NumberIn(0, kMaxPenWidthMm, "mm"))
        ->type_name("MM");
    gerber->add_option("--text-pen-width", args->textPenWidth, "pen for texts, in mm")
        ->default_str("0.1")
        ->check(NumberIn(0, kMaxPenWidthMm, "mm"))
        ->type_name("MM");
    gerber
        ->add_option("--layers", args->layers,
                     "layers to write instead of those marked for output: a comma list; may be repeated")
        ->type_name("NAME,...")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    registry.Add(gerber, [args](Session& session) { return RunGerber(session, *args); });
}

}  // namespace cli
