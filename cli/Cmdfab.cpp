// export fab: the package for a board house, one zip.

#include <filesystem>
#include <map>
#include <string>

#include "cli/Commands.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"
#include "output/Fabpackage.h"

namespace cli {

namespace {

struct FabArgs {
    std::string input;
    std::string output;
    std::string penWidth = "0.3";
    std::string textPenWidth = "0.1";
    std::vector<std::string> roles;
    bool noAttributes = false;
};

int RunFab(Session& session, const FabArgs& args) {
    TX2ExportOptions options;
    if (const std::string problem = ParseRoles(args.roles, options.roles); !problem.empty())
        return session.Usage(problem);
    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    if (std::string error; !CheckRoleLayers(*doc, options.roles, error))
        return session.Fail(error + "; nothing written");
    ParseNumber(args.penWidth, options.penWidth);
    ParseNumber(args.textPenWidth, options.textPenWidth);
    options.attributes = !args.noAttributes;
    options.board = std::filesystem::path(args.output).stem().string();
    session.Progress("building the package");
    TFabPackageResult result;
    std::string error;
    const bool ok = ExportFabPackage(*doc, args.output, options, result, error);
    session.EndProgress();
    for (const std::string& warning : result.warnings) session.Warn(warning);
    if (!ok) return session.Fail(error);
    session.Timing("built and wrote the package");
    session.Say("wrote " + args.output + " (" + std::to_string(result.bytes) + " bytes, " +
                std::to_string(result.files.size()) + " files, " + std::to_string(result.holes) + " holes)");
    for (const TFabPackageResult::File& f : result.files)
        session.Say("  " + f.name + " (" + std::to_string(f.bytes) + " bytes): " + f.what);
    return 0;
}

}  // namespace

void AddExportFab(CLI::App& exportCommand, Registry& registry) {
    auto args = std::make_shared<FabArgs>();
    CLI::App* fab = exportCommand.add_subcommand(
        "fab",
        "Write one zip for a board house: Gerber X2 of the output layers, the drill file and a readme");
    fab->add_option("FILE", args->input, "the document (.vbf)")->required()->type_name("")->check(kInputFile);
    fab->add_option("-o,--output", args->output, "the zip to write; its name names the board's files")
        ->required()
        ->check(kOutputPath)
        ->type_name("BOARD.zip");
    fab->add_option("--pen-width", args->penWidth,
                    "pen for filled objects without a width of their own, in mm")
        ->default_str("0.3")
        ->check(NumberIn(0, kMaxPenWidthMm, "mm"))
        ->type_name("MM");
    fab->add_option("--text-pen-width", args->textPenWidth, "pen for texts, in mm")
        ->default_str("0.1")
        ->check(NumberIn(0, kMaxPenWidthMm, "mm"))
        ->type_name("MM");
    AddRoleOption(*fab, args->roles, "");
    fab->add_flag("--no-x2-attributes", args->noAttributes,
                  "leave out the attributes, for fabs that refuse them");
    registry.Add(fab, [args](Session& session) { return RunFab(session, *args); });
}

}  // namespace cli
