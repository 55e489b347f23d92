// export gerber: one RS-274X file per output layer of a document.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

struct GerberArgs {
    std::string input;
    std::string folder;
    std::string penWidth = "0.3";
    std::string textPenWidth = "0.1";
    std::vector<std::string> layers;
    std::string flavour = "classic";
    std::vector<std::string> roles;
    bool noAttributes = false;
    std::string nameTemplate;
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
    if (args.flavour != "x2" && (!args.roles.empty() || args.noAttributes || !args.nameTemplate.empty()))
        return session.Usage("--role, --no-x2-attributes and --name-template go with --flavour x2");
    std::map<std::string, TLayerRole> roles;
    if (const std::string problem = ParseRoles(args.roles, roles); !problem.empty())
        return session.Usage(problem);

    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    if (std::string error; !CheckRoleLayers(*doc, roles, error))
        return session.Fail(error + "; nothing written");

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

    TGerberExportResult result;
    if (args.flavour == "x2") {
        TX2ExportOptions x2;
        x2.folder = options.folder;
        x2.penWidth = options.penWidth;
        x2.textPenWidth = options.textPenWidth;
        x2.layers = options.layers;
        x2.attributes = !args.noAttributes;
        x2.board = fs::path(args.input).stem().string();
        if (!args.nameTemplate.empty()) x2.nameTemplate = args.nameTemplate;
        x2.roles = roles;
        x2.progress = options.progress;
        result = ExportGerberX2(*doc, x2);
    } else {
        result = ExportGerber(*doc, options);
    }
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

void AddRoleOption(CLI::App& command, std::vector<std::string>& pairs, const std::string& prefix) {
    command
        .add_option("--role", pairs,
                    prefix + "what a layer is to the board house, over the role its name gives: " +
                        RoleNames() + "; may be repeated")
        ->type_name("LAYER=ROLE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

std::string ParseRoles(const std::vector<std::string>& pairs, std::map<std::string, TLayerRole>& roles) {
    for (const std::string& pair : pairs) {
        const std::size_t eq = pair.find('=');
        const TLayerRole role = eq == std::string::npos ? TLayerRole::None : RoleNamed(pair.substr(eq + 1));
        if (eq == std::string::npos || eq == 0 || role == TLayerRole::None)
            return "--role needs LAYER=ROLE with a ROLE of " + RoleNames() + ", not \"" + pair + "\"";
        roles[pair.substr(0, eq)] = role;
    }
    return {};
}

bool CheckRoleLayers(const TVemoDocument& document, const std::map<std::string, TLayerRole>& roles,
                     std::string& error) {
    std::vector<std::string> named;
    named.reserve(roles.size());
    for (const auto& [layer, role] : roles) named.push_back(layer);
    if (CheckLayers(document, named, error)) return true;
    error = "--role: " + error;
    return false;
}

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
    gerber
        ->add_option(
            "--flavour", args->flavour,
            "classic: RS-274X as the Gerber dialog writes it; x2: Gerber X2 for board houses (mm, file "
            "attributes, filled shapes and texts as regions, files named after the layers' roles)")
        ->default_str("classic")
        ->check(CLI::Validator(
            [](std::string& word) -> std::string {
                return word == "classic" || word == "x2" ? ""
                                                         : "\"" + word + "\" is no flavour: classic or x2";
            },
            ""))
        ->type_name("classic|x2");
    AddRoleOption(*gerber, args->roles, "x2: ");
    gerber->add_flag("--no-x2-attributes", args->noAttributes,
                     "x2: leave out the attributes, for fabs that refuse them");
    gerber
        ->add_option("--name-template", args->nameTemplate,
                     "x2: file names from {board}, {layer}, {role} and {ext} (default {board}-{role}.{ext})")
        ->type_name("TEMPLATE");
    registry.Add(gerber, [args](Session& session) { return RunGerber(session, *args); });
}

}  // namespace cli
