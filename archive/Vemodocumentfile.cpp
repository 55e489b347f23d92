#include "archive/Vemodocumentfile.h"

#include <cstring>

#include "archive/Safefile.h"
#include "archive/Vemoobjectio.h"
#include "model/Vemodocument.h"

std::string DocumentBytes(const TVemoDocument& document) {
    std::string bytes;
    TVemo_oarchive out(bytes);
    SaveDocument(out, document);
    return bytes;
}

std::unique_ptr<TVemoDocument> DocumentFromBytes(std::string_view bytes, std::string& error) {
    TVemo_iarchive in(bytes);
    if (!in.IsAccepted()) {
        if (bytes.size() >= 12 && std::memcmp(bytes.data(), kArchiveMagic, 7) == 0)
            error = "the document was written by a newer version of the program (format " +
                    std::to_string(in.Version()) + ")";
        else
            error = "not a document of this program";
        return nullptr;
    }
    std::unique_ptr<TVemoDocument> document = LoadDocument(in);
    if (!document) {
        const std::string where = "reading stopped at byte " + std::to_string(in.Position()) + " of " +
                                  std::to_string(bytes.size());
        if (!in.FailReason().empty())
            error = "the document cannot be read: " + in.FailReason() + " (" + where + ")";
        else
            error = "the document is damaged (" + where + ")";
        return nullptr;
    }
    return document;
}

std::unique_ptr<TVemoDocument> ReadDocumentFile(const std::string& path, std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return nullptr;
    std::unique_ptr<TVemoDocument> document = DocumentFromBytes(bytes, error);
    if (!document) {
        error = "\"" + path + "\": " + error;
        return nullptr;
    }
    document->SetFileName(path);
    // A save of this document killed before its rename left its temporary here.
    RemoveStaleTemporariesOf(path);
    return document;
}

bool WriteDocumentFile(const TVemoDocument& document, const std::string& path, std::string& error) {
    return WriteFileSafely(path, DocumentBytes(document), error);
}
