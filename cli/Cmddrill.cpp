// export drill: the Excellon drill file of a board's hole layer.

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/Safefile.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "output/Exportdrill.h"

namespace cli {

namespace {

struct DrillArgs {
    std::string input;
    std::string output;
    std::string layer;
};

int RunDrill(Session& session, const DrillArgs& args) {
    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    const TVemoLayerPtr layer = DrillLayer(*doc, args.layer);
    if (!layer) {
        std::string error;
        if (!args.layer.empty() && !CheckLayers(*doc, {args.layer}, error))
            return session.Fail(error + "; nothing written");
        return session.Fail(
            "the document has no layer marked as holes and none named \"hole\": give --layer");
    }
    const std::string comment = "zelko " ZELKO_VERSION " drill file of " +
                                std::filesystem::path(args.input).filename().string() + ", layer " +
                                layer->GetName();
    const TDrillFile drill = BuildDrill(*doc, layer, comment);
    for (const std::string& refused : drill.refused)
        session.Warn("not drilled: " + refused + " (layer \"" + layer->GetName() + "\")");
    if (drill.holes == 0)
        return session.Fail("layer \"" + layer->GetName() + "\" has no round hole; nothing written");
    std::string error;
    if (!WriteFileSafely(args.output, drill.bytes, error)) return session.Fail(error + "; nothing written");
    session.Timing("wrote the drill file");
    std::string tools;
    for (std::size_t i = 0; i < drill.tools.size(); ++i) {
        char tool[64];
        std::snprintf(tool, sizeof tool, "%s%.3f mm x %d", i ? ", " : "", drill.tools[i],
                      drill.holesPerTool[i]);
        tools += tool;
    }
    session.Say("wrote " + args.output + " (" + std::to_string(drill.bytes.size()) + " bytes, " +
                std::to_string(drill.holes) + " holes from layer \"" + layer->GetName() + "\": " + tools +
                ")");
    return 0;
}

}  // namespace

void AddExportDrill(CLI::App& exportCommand, Registry& registry) {
    auto args = std::make_shared<DrillArgs>();
    CLI::App* drill = exportCommand.add_subcommand(
        "drill", "Write an Excellon drill file (metric) of the filled circles on the hole layer");
    drill->add_option("FILE", args->input, "the document (.vbf)")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    drill->add_option("-o,--output", args->output, "the drill file to write (.drl)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    drill
        ->add_option("--layer", args->layer,
                     "the layer of the holes (default: the one marked as holes, else \"hole\")")
        ->type_name("NAME");
    registry.Add(drill, [args](Session& session) { return RunDrill(session, *args); });
}

}  // namespace cli
