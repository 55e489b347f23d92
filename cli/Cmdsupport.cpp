#include <cstdio>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"

namespace cli {

std::unique_ptr<TVemoDocument> BaseDocument(const std::string& path) {
    if (path.empty()) return std::make_unique<TVemoDocument>();
    std::string error;
    auto document = ReadDocumentFile(path, error);
    if (!document) std::fprintf(stderr, "zelko: cannot read %s: %s\n", path.c_str(), error.c_str());
    return document;
}

}  // namespace cli
