// Fuzz target for the line-and-land importer: any text must import into a
// document without a crash, a hang or a runaway allocation, every legacy layer
// mapped; the result must save, read back and go through the Gerber export.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "archive/Vemodocumentfile.h"
#include "gerber/Gerberexport.h"
#include "import/Vemoimport.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> destinations;
    {
        std::istringstream first(text);
        TVemoImporter probe(first);
        for (int i = 0; i < probe.LayerCount(); ++i)
            destinations.emplace_back(i % 2 ? "solder" : "new-layer");
    }
    TVemoDocument doc;
    std::istringstream in(text);
    ImportVemo(in, destinations, doc);
    std::string error;
    if (!DocumentFromBytes(DocumentBytes(doc), error)) std::abort();
    const TVemoLayerList& layers = doc.GetLayerList();
    for (int i = 0; i < layers.Count(); ++i) {
        const TGerberLayerFile file = BuildGerberLayer(doc, layers.At(i), 0.3, 0.1);
        if (!file.ok && file.error.empty()) std::abort();
    }
    return 0;
}
