// Fuzz target for the document reader: any bytes must give a document or a
// reason, never a crash, a hang or a runaway allocation; a document that is
// accepted must write out and read back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto doc = DocumentFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!doc) {
        if (error.empty()) std::abort();  // a rejection must say why
        return 0;
    }
    const std::string bytes = DocumentBytes(*doc);
    if (!DocumentFromBytes(bytes, error)) std::abort();
    return 0;
}
