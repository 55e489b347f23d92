#pragma once
// Synthetic boards for benchmarks, demos and stress tests: two copper layers of
// tracks, pads with drill marks, filled copper with holes, silk-screen texts,
// a board outline and placed parts. The same size and seed give the same board.
// With block levels the objects are gathered into groups of groups, as the
// parts of a real design sit in blocks and the blocks in bigger ones.

#include <cstdint>
#include <memory>

class TVemoDocument;

struct TBoardOptions {
    int objects = 1000;  // top-level objects placed on the board, about
    std::uint32_t seed = 1;
    bool texts = true;  // texts need a GUI application for their glyphs
    // Levels of groups above the objects (0: they lie on the board itself).
    // Each level's groups are the squares of a grid over the board: about 8
    // objects to a square at the lowest level, 16 squares to one at each
    // level above. The objects and their outlines are those of the board
    // without levels; only the tree around them differs. At most 12.
    int blockLevels = 0;
};

std::unique_ptr<TVemoDocument> GenerateBoard(const TBoardOptions& options);
