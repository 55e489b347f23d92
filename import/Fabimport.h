#pragma once
// Bringing fab files (Gerber, Excellon) into a document: each file is read
// whole, then goes onto one document layer as one group. Every file is read
// before anything is added, so a file that fails leaves the document as it was.

#include <map>
#include <string>
#include <vector>

#include "import/Fabreader.h"

class TVemoDocument;
class TVemoGroup;

struct TFabFile {
    std::string name;  // as messages and the layer mapping name it
    std::string bytes;
};

// The layer a file goes to when the user names none: by its X2 file function
// (copper, mask, legend, profile) or, for a drill file, the hole layer; else
// a layer named after the file (its name without folders and extension).
std::string DefaultFabDestination(const std::string& fileName, const TFabPicture& picture);

struct TFabFileResult {
    std::string name;
    std::string layer;
    int objects = 0;
    TVemoGroup* group = nullptr;  // in the document's root
};

struct TFabImportResult {
    bool ok = false;
    std::string error;  // why nothing was imported
    std::vector<TFabFileResult> files;
    std::vector<std::string> createdLayers;
    std::vector<std::string> warnings;
};

// Reads the files; destinations maps a file name to a layer name (made when
// the document has none, once however many files name it); a file the map
// does not name goes to DefaultFabDestination. Objects are in the document's
// frame: a file's origin is the design area's bottom-left corner, as the
// Gerber export writes it.
TFabImportResult ImportFab(const std::vector<TFabFile>& files,
                           const std::map<std::string, std::string>& destinations, TVemoDocument& document);

// The file's picture read by its kind; false with error.
bool ReadFab(const TFabFile& file, TFabPicture& picture, std::string& error);
