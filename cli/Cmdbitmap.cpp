// export bitmap and export image: the design area as a picture, true to scale;
// PNG and BMP at a chosen resolution, SVG and PDF as vectors in millimetres,
// EMF as a metafile of the drawing for other programs.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "model/Vemodocument.h"
#include "output/Exportbitmap.h"
#include "output/Exportemf.h"
#include "output/Exportvector.h"

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

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool KnownFormat(const std::string& format) {
    return format == "png" || format == "bmp" || format == "svg" || format == "pdf" || format == "emf";
}

int RunBitmap(Session& session, const BitmapArgs& args) {
    // The picture's type is settled before any work, so a slip in the name
    // costs nothing.
    std::string format = Lower(args.format);
    if (format.empty()) {
        const std::string ext = Lower(std::filesystem::path(args.output).extension().string());
        if (ext.empty())
            return session.Usage(
                args.output + " has no extension: name it .png, .bmp, .svg, .pdf or .emf, or give --format");
        format = ext.substr(1);
        if (!KnownFormat(format))
            return session.Usage(args.output + ": zelko writes no \"" + ext +
                                 "\" pictures; name it .png, .bmp, .svg, .pdf or .emf, or give --format");
    }
    const bool vector = format == "svg" || format == "pdf";
    TBitmapExportOptions options;
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

    std::string error;
    if (format == "emf") {
        if (args.mirror) session.Warn("--mirror does not apply to metafiles; ignored");
        TEmfExportOptions emf;
        emf.monochrome = args.mono;
        emf.layers = options.layers;
        const Argb paper = ExportPaper(options);  // a film's ink and paper, for --mono and --negative
        if (args.mono && args.negative) emf.paper = paper;
        TEmfExportResult result;
        if (!ExportEmf(*doc, args.output, emf, result, error))
            return session.Fail(error + "; nothing written");
        session.Timing("recorded and wrote the metafile");
        session.Say("wrote " + args.output + " (" + std::to_string(result.bytes) + " bytes, " +
                    std::to_string(result.records) + " records)");
        if (result.empty) session.Warn(args.output + " is empty: nothing is drawn on the chosen layers");
        return 0;
    }
    if (vector) {
        TVectorExportResult result;
        const TVectorFormat kind = format == "svg" ? TVectorFormat::Svg : TVectorFormat::Pdf;
        if (!ExportVector(*doc, args.output, kind, options, result, error))
            return session.Fail(error + "; nothing written");
        session.EndProgress();
        session.Timing("drew and wrote the picture");
        char size[64];
        std::snprintf(size, sizeof size, "%g x %g mm", result.widthMm, result.heightMm);
        session.Say("wrote " + args.output + " (" + std::to_string(result.bytes) + " bytes, " + size + ")");
        return 0;
    }
    TBitmapExportResult result;
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

// One set of options for both names: "bitmap", as the raster export has
// always been called, and "image" for any picture.
void AddPicture(CLI::App& exportCommand, Registry& registry, const char* name, const char* description) {
    auto args = std::make_shared<BitmapArgs>();
    CLI::App* picture = exportCommand.add_subcommand(name, description);
    picture->add_option("FILE", args->input, "the document (.vbf)")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    picture
        ->add_option("-o,--output", args->output,
                     "the picture to write: OUT.png, OUT.bmp, OUT.svg, OUT.pdf or OUT.emf")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    picture
        ->add_option("--ppi", args->ppi,
                     "PNG and BMP: pixels per inch; the file records it, so it prints true to scale")
        ->default_str(kDefaultPpi)
        ->check(NumberIn(1, 10000, "pixels per inch"))
        ->type_name("PPI");
    picture->add_option("--format", args->format, "png, bmp, svg, pdf or emf, whatever the name's extension")
        ->check(CLI::Validator(
            [](std::string& word) -> std::string {
                return KnownFormat(Lower(word))
                           ? ""
                           : "\"" + word + "\" is no picture format: png, bmp, svg, pdf or emf";
            },
            ""))
        ->type_name("FORMAT");
    picture->add_flag("--mono", args->mono, "black ink on white paper, as a film (PNG: 1 bit per pixel)");
    picture->add_flag("--mirror", args->mirror, "flip left and right, for a film laid printed side down");
    picture->add_flag("--negative", args->negative, "with --mono: white ink on black");
    picture->add_flag("--antialias", args->antialias, "PNG and BMP: smooth edges");
    picture
        ->add_option("--layers", args->layers,
                     "layers to draw instead of those marked for output: a comma list; may be repeated")
        ->type_name("NAME,...")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    registry.Add(picture, [args](Session& session) { return RunBitmap(session, *args); });
}

}  // namespace

void AddExportBitmap(CLI::App& exportCommand, Registry& registry) {
    AddPicture(exportCommand, registry, "bitmap",
               "Draw the output layers as a picture (PNG or BMP), true to scale at the resolution given");
}

void AddExportImage(CLI::App& exportCommand, Registry& registry) {
    AddPicture(exportCommand, registry, "image",
               "Draw the output layers as a picture true to scale: SVG or PDF in millimetres, PNG or BMP; "
               "or record them as an EMF metafile");
}

}  // namespace cli
