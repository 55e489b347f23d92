#pragma once
// The content shipped with the program: a demo board, a starter set of pads
// for the pad tool and of library parts for the library tool, all built here so that the
// checked-in files can be remade and compared with what this code makes.

#include <memory>
#include <string>
#include <vector>

#include "model/Vemodocument.h"

struct TDemoFile {
    std::string path;  // relative to the program folder, '/' separated
    std::unique_ptr<TVemoDocument> document;
};

// examples/demo.vbf, the starter pads pad/*.vbf and the starter library
// lib/*.vbf and lib/smd/*.vbf. Texts need a GUI application for their glyphs.
std::vector<TDemoFile> BuildDemoContent();
