#pragma once
// Synthetic boards for benchmarks, demos and stress tests: two copper layers of
// tracks, pads with drill marks, filled copper with holes, silk-screen texts,
// a board outline and placed parts. The same size and seed give the same board.

#include <cstdint>
#include <memory>

class TVemoDocument;

struct TBoardOptions {
    int objects = 1000;         // top-level objects placed on the board, about
    std::uint32_t seed = 1;
    bool texts = true;          // texts need a GUI application for their glyphs
};

std::unique_ptr<TVemoDocument> GenerateBoard(const TBoardOptions& options);
