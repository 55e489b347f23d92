// info and convert: what a document holds, and rewriting it in the current format.

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace cli {

namespace {

struct Tally {
    std::map<std::string, int> perClass;  // in words
    std::map<std::string, int> perLayer;
};

std::string ClassWord(std::string_view tag) {
    static const std::map<std::string_view, const char*> kWords = {
        {"PATH", "paths"}, {"RECT", "rectangles"}, {"ELPS", "ellipses"},
        {"TEXT", "texts"}, {"GRUP", "groups"},     {"PART", "parts"}};
    const auto found = kWords.find(tag);
    return found != kWords.end() ? found->second : std::string(tag);
}

Tally Count(const TVemoPart& root) {
    Tally tally;
    ForEachObject(root, false, [&](const TVemoObject& object) {
        if (&object == &root) return;
        ++tally.perClass[ClassWord(object.GetTag())];
        if (dynamic_cast<const TVemoContainer*>(&object)) return;
        const TVemoLayerPtr layer = object.GetLayer();
        ++tally.perLayer[layer ? layer->GetName() : std::string("(no layer)")];
    });
    return tally;
}

std::vector<std::string> FlagWords(std::int32_t flags) {
    static constexpr struct {
        std::int32_t bit;
        const char* name;
    } kNames[] = {{TVemoLayer::FlagCurrent, "current"},
                  {TVemoLayer::FlagVisible, "visible"},
                  {TVemoLayer::FlagLocked, "locked"},
                  {TVemoLayer::FlagCutOut, "cut-out"},
                  {TVemoLayer::FlagOutput, "output"},
                  {TVemoLayer::FlagWireFrame, "wire-frame"},
                  {TVemoLayer::FlagHole, "hole"},
                  {TVemoLayer::FlagOpaque, "opaque"},
                  {TVemoLayer::FlagTextOutput, "text-output"}};
    std::vector<std::string> words;
    for (const auto& n : kNames)
        if (flags & n.bit) words.emplace_back(n.name);
    return words;
}

std::string Joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : separator) + w;
    return out;
}

// The version word of an archive header (magic, version, header length).
int HeaderVersion(const std::string& bytes) {
    if (bytes.size() < 12) return 0;
    std::int32_t version = 0;
    std::memcpy(&version, bytes.data() + 8, sizeof version);
    return version;
}

// Full precision, for scripts.
std::string Mm(double documentUnits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", units::ToMm(documentUnits));
    return buffer;
}

// To the micrometre, for people: "5.096", "80", "-0.048".
std::string ShortMm(double documentUnits) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.3f", units::ToMm(documentUnits));
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string Colour(Argb colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06" PRIX32, static_cast<std::uint32_t>(colour & 0xFFFFFFu));
    return buffer;
}

struct InfoArgs {
    std::string file;
    bool json = false;
};

int RunInfo(Session& session, const InfoArgs& args) {
    std::string bytes, error;
    if (!ReadWholeFile(args.file, bytes, error))
        return session.Fail("cannot read " + args.file + ": " + error);
    const auto doc = DocumentFromBytes(bytes, error);
    if (!doc) return session.Fail(args.file + " is not a readable document: " + error);

    const Tally tally = Count(doc->GetRoot());
    RectF bounds;
    doc->GetRoot().GetBounds(bounds);
    const bool haveBounds = !(bounds == RectF());
    const TVemoLayerList& layers = doc->GetLayerList();
    const auto objectsOn = [&](const std::string& name) {
        const auto found = tally.perLayer.find(name);
        return found == tally.perLayer.end() ? 0 : found->second;
    };

    if (args.json) {
        std::string out = "{";
        out += "\"file\":" + JsonString(args.file);
        out += ",\"formatVersion\":" + std::to_string(HeaderVersion(bytes));
        out += ",\"unit\":\"mm\"";
        out += ",\"area\":{\"x\":" + Mm(doc->GetAreaX()) + ",\"y\":" + Mm(doc->GetAreaY()) +
               ",\"width\":" + Mm(doc->GetAreaWidth()) + ",\"height\":" + Mm(doc->GetAreaHeight()) + "}";
        if (haveBounds)
            out += ",\"bounds\":{\"x\":" + Mm(bounds.x) + ",\"y\":" + Mm(bounds.y) +
                   ",\"width\":" + Mm(bounds.width) + ",\"height\":" + Mm(bounds.height) + "}";
        else
            out += ",\"bounds\":null";
        out += ",\"layers\":[";
        for (int i = 0; i < layers.Count(); ++i) {
            const TVemoLayerPtr layer = layers.At(i);
            std::string flags;
            for (const std::string& w : FlagWords(layer->GetFlags()))
                flags += (flags.empty() ? "" : ",") + JsonString(w);
            out += std::string(i ? "," : "") + "{\"index\":" + std::to_string(i) +
                   ",\"name\":" + JsonString(layer->GetName()) +
                   ",\"colour\":" + JsonString(Colour(layer->GetOpaqueColour())) + ",\"flags\":[" + flags +
                   "],\"objects\":" + std::to_string(objectsOn(layer->GetName())) + "}";
        }
        out += "],\"topLevelObjects\":" + std::to_string(doc->GetRoot().GetChildCount());
        out += ",\"objects\":{";
        bool first = true;
        for (const auto& [word, n] : tally.perClass) {
            out += (first ? "" : ",") + JsonString(word) + ":" + std::to_string(n);
            first = false;
        }
        out += "}}";
        std::printf("%s\n", out.c_str());
        return 0;
    }

    std::printf("file: %s\n", args.file.c_str());
    std::printf("format version: %d\n", HeaderVersion(bytes));
    std::printf("design area: %s x %s mm, top left at (%s, %s) mm\n", ShortMm(doc->GetAreaWidth()).c_str(),
                ShortMm(doc->GetAreaHeight()).c_str(), ShortMm(doc->GetAreaX()).c_str(),
                ShortMm(doc->GetAreaY()).c_str());
    if (haveBounds)
        std::printf("objects cover: %s x %s mm, top left at (%s, %s) mm\n", ShortMm(bounds.width).c_str(),
                    ShortMm(bounds.height).c_str(), ShortMm(bounds.x).c_str(), ShortMm(bounds.y).c_str());
    else
        std::printf("objects cover: nothing\n");
    std::printf("layers: %d (the first is drawn on top)\n", layers.Count());
    for (int i = 0; i < layers.Count(); ++i) {
        const TVemoLayerPtr layer = layers.At(i);
        const std::vector<std::string> flags = FlagWords(layer->GetFlags());
        std::printf("  %2d %-16s %s  %-40s %d objects\n", i, layer->GetName().c_str(),
                    Colour(layer->GetOpaqueColour()).c_str(),
                    flags.empty() ? "-" : Joined(flags, ", ").c_str(), objectsOn(layer->GetName()));
    }
    std::printf("top-level objects: %d\n", doc->GetRoot().GetChildCount());
    std::printf("objects by class:\n");
    for (const auto& [word, n] : tally.perClass) std::printf("  %s %d\n", word.c_str(), n);
    return 0;
}

struct ConvertArgs {
    std::string input;
    std::string output;
};

int RunConvert(Session& session, const ConvertArgs& args) {
    const auto doc = ReadBoard(session, args.input);
    if (!doc) return kExitFailed;
    return WriteBoard(session, *doc, args.output) ? 0 : kExitFailed;
}

}  // namespace

void AddInfo(CLI::App& parent, Registry& registry) {
    auto args = std::make_shared<InfoArgs>();
    CLI::App* info =
        parent.add_subcommand("info", "Describe a document: format, area, layers and objects (mm)");
    info->add_option("FILE", args->file, "the document (.vbf)")->required()->type_name("")->check(kInputFile);
    info->add_flag("--json", args->json, "print one JSON object for scripts");
    registry.Add(info, [args](Session& session) { return RunInfo(session, *args); });
}

void AddConvert(CLI::App& parent, Registry& registry) {
    auto args = std::make_shared<ConvertArgs>();
    CLI::App* convert = parent.add_subcommand(
        "convert", "Read a document of any version (3 to 5) and write the current one safely");
    convert->add_option("IN", args->input, "the document to read")
        ->required()
        ->type_name("")
        ->check(kInputFile);
    convert->add_option("-o,--output", args->output, "the document to write (.vbf)")
        ->required()
        ->check(kOutputPath)
        ->type_name("OUT");
    registry.Add(convert, [args](Session& session) { return RunConvert(session, *args); });
}

}  // namespace cli
