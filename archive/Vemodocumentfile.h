#pragma once
// Documents as files and byte buffers: what the command line, the File menu,
// library parts and pads use. Reading yields a whole document or none, with a
// reason the caller can show; writing replaces the file safely.

#include <memory>
#include <string>
#include <string_view>

class TVemoDocument;

// The document archive of a document at the current version.
std::string DocumentBytes(const TVemoDocument& document);
// A document from archive bytes (versions 3 to 5); none, with a reason, when the
// bytes are not an accepted document or are damaged anywhere.
std::unique_ptr<TVemoDocument> DocumentFromBytes(std::string_view bytes, std::string& error);

// Reads a document file; once it is read, the temporaries that killed saves of
// it left beside it are removed (see RemoveStaleTemporariesOf).
std::unique_ptr<TVemoDocument> ReadDocumentFile(const std::string& path, std::string& error);
// Writes the document at the current version; on failure the previous file is
// untouched. Stale temporaries of earlier saves of it go first.
bool WriteDocumentFile(const TVemoDocument& document, const std::string& path, std::string& error);
