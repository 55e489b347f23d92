// export bitmap: the design area as a picture, true to scale at a chosen resolution.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "model/Vemodocument.h"
#include "output/Exportbitmap.h"

namespace cli {

namespace {

constexpr const char* kDefaultPpi = "300";

struct BitmapArgs {
    std::string input;
    std::string output;
    std::string ppi = kDefaultPpi;
    std::string format;
    bool mono = false;
    bool mirror = false;
    bool negative = false;
    bool antialias = false;
    std::vector<std::string> layers;
};

std::string Extension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

int RunBitmap(Session& session, const BitmapArgs& args) {
    TBitmapExportOptions options;
    // The picture's type is settled before any work, so a slip in the name
    // costs nothing.
    std::string format = args.format;
    std::transform(format.begin(), format.end(), format.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (format.empty()) {
        const std::string ext = Extension(args.output);
        if (ext == ".png")
            format = "png";
        else if (ext == ".bmp")
            format = "bmp";
        else if (ext.empty())
            return session.Usage(args.output + " has no extension: name it .png or .bmp, or give --format");
        else
            return session.Usage(args.output + ": zelko writes no \"" + ext +
                                 "\" pictures; name it .png or .bmp, or give --format");
    }
    options.format = format == "png" ? TBitmapExportOptions::Format::Png : TBitmapExportOptions::Format::Bmp;
    ParseNumber(args.ppi, options.ppi);
    options.monochrome = args.mono;
    options.mirror = args.mirror;
    options.negative = args.negative;
    options.antialias = args.antialias;
    if (args.negative && !args.mono) session.Warn("--negative applies to --mono only; ignored");

    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    if (!args.layers.empty()) {
        options.layers = LayerNames(args.layers);
        if (options.layers.empty()) return session.Usage("--layers: no layer named");
        std::string error;
        if (!CheckLayers(*doc, options.layers, error)) return session.Fail(error + "; nothing written");
    }
    options.progress = [&](int index, int count, const std::string& layer) {
        session.Progress("drawing layer " + std::to_string(index + 1) + " of " + std::to_string(count) +
                         ": " + layer);
    };

    TBitmapExportResult result;
    std::string error;
    if (!ExportBitmap(*doc, args.output, options, result, error))
        return session.Fail(error + "; nothing written");
    session.EndProgress();
    session.Timing("drew and wrote the picture");
    session.Say("wrote " + args.output + " (" + std::to_string(result.bytes) + " bytes, " +
                std::to_string(result.width) + " x " + std::to_string(result.height) + " pixels at " +
                args.ppi + " ppi)");
    if (result.blank)
        session.Warn(args.output + " is blank: nothing on the chosen layers lies in the design area");
    return 0;
}

}  // namespace

void AddExportBitmap(CLI::App& exportCommand, Registry& registry) {
    auto args = std::make_shared<BitmapArgs>();
    CLI::App* bitmap = exportCommand.add_subcommand(
        "bitmap", "Draw the output layers as a picture (PNG or BMP), true to scale at the resolution given");
    bitmap->add_option("FILE", args->input, "the document (.vbf)")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    bitmap->add_option("-o,--output", args->output, "the picture to write: OUT.png or OUT.bmp")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    bitmap->add_option("--ppi", args->ppi, "pixels per inch; the file records it, so it prints true to scale")
        ->default_str(kDefaultPpi)
        ->check(NumberIn(1, 10000, "pixels per inch"))
        ->type_name("PPI");
    bitmap->add_option("--format", args->format, "png or bmp, whatever the name's extension")
        ->check(CLI::Validator(
            [](std::string& word) -> std::string {
                std::string lower = word;
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
                return lower == "png" || lower == "bmp" ? ""
                                                        : "\"" + word + "\" is no picture format: png or bmp";
            },
            ""))
        ->type_name("png|bmp");
    bitmap->add_flag("--mono", args->mono, "black ink on white paper, as a film (PNG: 1 bit per pixel)");
    bitmap->add_flag("--mirror", args->mirror, "flip left and right, for a film laid printed side down");
    bitmap->add_flag("--negative", args->negative, "with --mono: white ink on black");
    bitmap->add_flag("--antialias", args->antialias, "smooth edges");
    bitmap
        ->add_option("--layers", args->layers,
                     "layers to draw instead of those marked for output: a comma list; may be repeated")
        ->type_name("NAME,...")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    registry.Add(bitmap, [args](Session& session) { return RunBitmap(session, *args); });
}

}  // namespace cli
