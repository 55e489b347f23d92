// --info and --convert: what a document holds, and rewriting it in the current format.

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace cli {

namespace {

struct Tally {
    std::map<std::string, int> perClass;
    std::map<std::string, int> perLayer;
};

void Count(const TVemoObject& object, Tally& tally) {
    ++tally.perClass[std::string(object.GetTag())];
    if (const auto* container = dynamic_cast<const TVemoContainer*>(&object)) {
        for (int i = 0; i < container->GetChildCount(); ++i) Count(*container->GetChild(i), tally);
        return;
    }
    const TVemoLayerPtr layer = object.GetLayer();
    ++tally.perLayer[layer ? layer->GetName() : std::string("(no layer)")];
}

std::string FlagNames(std::int32_t flags) {
    static constexpr struct {
        std::int32_t bit;
        const char* name;
    } kNames[] = {{TVemoLayer::FlagCurrent, "current"},     {TVemoLayer::FlagVisible, "visible"},
                  {TVemoLayer::FlagLocked, "locked"},       {TVemoLayer::FlagCutOut, "cut-out"},
                  {TVemoLayer::FlagOutput, "output"},       {TVemoLayer::FlagWireFrame, "wire-frame"},
                  {TVemoLayer::FlagHole, "hole"},           {TVemoLayer::FlagOpaque, "opaque"},
                  {TVemoLayer::FlagTextOutput, "text-output"}};
    std::string out;
    for (const auto& n : kNames) {
        if ((flags & n.bit) == 0) continue;
        if (!out.empty()) out += ',';
        out += n.name;
    }
    return out.empty() ? "-" : out;
}

// The version word of an archive header (magic, version, header length).
int HeaderVersion(const std::string& bytes) {
    if (bytes.size() < 12) return 0;
    std::int32_t version = 0;
    std::memcpy(&version, bytes.data() + 8, sizeof version);
    return version;
}

}  // namespace

int CmdInfo(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: zelko --info FILE.vbf\n");
        return 2;
    }
    const std::string& path = args[0];
    std::string bytes, error;
    if (!ReadWholeFile(path, bytes, error)) {
        std::fprintf(stderr, "zelko: cannot read %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    const auto doc = DocumentFromBytes(bytes, error);
    if (!doc) {
        std::fprintf(stderr, "zelko: %s is not a readable document: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    std::printf("file: %s\n", path.c_str());
    std::printf("format version: %d\n", HeaderVersion(bytes));
    std::printf("design area: origin (%g, %g), size %g x %g\n", doc->GetAreaX(), doc->GetAreaY(),
                doc->GetAreaWidth(), doc->GetAreaHeight());

    Tally tally;
    const TVemoPart& root = doc->GetRoot();
    for (int i = 0; i < root.GetChildCount(); ++i) Count(*root.GetChild(i), tally);

    const TVemoLayerList& layers = doc->GetLayerList();
    std::printf("layers: %d\n", layers.Count());
    for (int i = 0; i < layers.Count(); ++i) {
        const TVemoLayerPtr layer = layers.At(i);
        const auto found = tally.perLayer.find(layer->GetName());
        const int objects = found == tally.perLayer.end() ? 0 : found->second;
        std::printf("  %2d %-16s #%06" PRIX32 " %-40s %d objects\n", i, layer->GetName().c_str(),
                    static_cast<std::uint32_t>(layer->GetOpaqueColour() & 0xFFFFFFu), FlagNames(layer->GetFlags()).c_str(),
                    objects);
    }
    std::printf("top-level objects: %d\n", root.GetChildCount());
    std::printf("objects by class:\n");
    for (const auto& [tag, n] : tally.perClass) std::printf("  %s %d\n", tag.c_str(), n);
    return 0;
}

int CmdConvert(const Args& args) {
    if (args.size() != 3 || args[1] != "-o") {
        std::fprintf(stderr, "usage: zelko --convert IN.vbf -o OUT.vbf\n");
        return 2;
    }
    std::string error;
    const auto doc = ReadDocumentFile(args[0], error);
    if (!doc) {
        std::fprintf(stderr, "zelko: cannot read %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    if (!WriteDocumentFile(*doc, args[2], error)) {
        std::fprintf(stderr, "zelko: cannot write %s: %s\n", args[2].c_str(), error.c_str());
        return 1;
    }
    std::printf("wrote %s\n", args[2].c_str());
    return 0;
}

}  // namespace cli
