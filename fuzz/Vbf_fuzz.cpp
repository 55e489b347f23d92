// Fuzz target for the document reader: any bytes must give a document or a
// reason, never a crash, a hang or a runaway allocation; a document that is
// accepted must write out, read back and go through the Gerber export of each
// of its layers.
//
// The mutator knows the format: besides libFuzzer's byte mutations it swaps in
// whole documents of the shapes that hurt (deep nesting, long paths, many
// unknown layers, huge sizes and widths) and rescales or rewraps documents it
// can read, so inputs reach what short byte strings never do.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Hostile.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

std::string Generated(std::mt19937& rng, std::size_t maxSize) {
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const int budget = int(std::min<std::size_t>(maxSize / 24, 100000));
    switch (pick(7)) {
        case 0:
            return hostile::NestedGroups(pick(std::max(1, budget)) + 1, pick(2) ? 5 : 3);
        case 1:
            return hostile::UnknownLayers(pick(std::max(1, budget / 2)) + 1);
        case 2:
            return hostile::LongSelfOverlappingPath(pick(std::max(1, budget)) + 6, rng());
        case 3:
            return hostile::HugeText(std::ldexp(1.0f, pick(120)));
        case 4:
            return hostile::HugeEllipse(std::ldexp(1.0f, pick(127)));
        case 5: {
            const float widths[] = {
                std::numeric_limits<float>::infinity(),  1e30f, 1e6f, 1001.0f, 0.0f, -3.0f,
                std::numeric_limits<float>::quiet_NaN(), 1e-30f};
            return hostile::WideStroke(widths[pick(8)]);
        }
        default:
            return hostile::HugeArea(std::ldexp(1.0, pick(1100)), std::ldexp(1.0, pick(60)));
    }
}

// Rewraps or rescales a document that reads; empty when it does not.
std::string Restructured(std::string_view bytes, std::mt19937& rng) {
    std::string error;
    auto doc = DocumentFromBytes(bytes, error);
    if (!doc) return {};
    TVemoPart& root = doc->GetRoot();
    switch (rng() % 3) {
        case 0: {
            // Everything into one more group, as often as the model allows.
            for (unsigned n = rng() % 64; n > 0; --n) {
                auto group = std::make_unique<TVemoGroup>();
                while (root.GetChildCount() > 0) group->AddChild(root.ReleaseChild(root.GetChild(0)));
                if (!root.AddChild(std::move(group))) break;
            }
            break;
        }
        case 1:
            root.Transform(Matrix(std::ldexp(1.0f, int(rng() % 200) - 100), 0, 0,
                                  std::ldexp(1.0f, int(rng() % 200) - 100), 0, 0));
            break;
        default: {
            const int n = root.GetChildCount();
            for (int i = 0; i < n && i < 64; ++i) root.AddCopy(*root.GetChild(i));
            break;
        }
    }
    return DocumentBytes(*doc);
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned seed) {
    std::mt19937 rng(seed);
    std::string replaced;
    switch (rng() % 10) {
        case 0:
            replaced = Generated(rng, maxSize);
            break;
        case 1:
            replaced = Restructured(std::string_view(reinterpret_cast<const char*>(data), size), rng);
            break;
        default:
            return LLVMFuzzerMutate(data, size, maxSize);
    }
    if (replaced.empty() || replaced.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    std::copy(replaced.begin(), replaced.end(), data);
    return replaced.size();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto doc = DocumentFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!doc) {
        if (error.empty()) std::abort();  // a rejection must say why
        return 0;
    }
    const std::string bytes = DocumentBytes(*doc);
    if (!DocumentFromBytes(bytes, error)) std::abort();
    RectF bounds;
    doc->GetRoot().GetBounds(bounds);
    const TVemoLayerList& layers = doc->GetLayerList();
    for (int i = 0; i < layers.Count() && i < 4; ++i) {
        const TGerberLayerFile file = BuildGerberLayer(*doc, layers.At(i), 0.3, 0.1);
        if (!file.ok && file.error.empty()) std::abort();  // a failed layer must say why
    }
    return 0;
}
