#pragma once
// Readers of fab files: RS-274X / X2 Gerber and Excellon drill files. Each
// turns one file into a picture of simple items in millimetres with y up, as
// the file draws them; Fabimport makes document objects of the items. A
// reader either succeeds or fails as a whole with one message naming the
// file, the line and the command, so a caller never adds half a file.
//
// Both readers keep hostile files in bounds: coordinates beyond 10 m, step
// and repeat over 10 000 cells, blocks nested too deeply, pictures of more
// than kMaxFabItems items and files over kMaxFabBytes are refused.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TFabPoint {
    double x = 0.0;
    double y = 0.0;
};

// One piece of a picture. Stroke and Area carry a chain of cubic segments:
// P0, c1, c2, P1, c1, c2, P2, ... (3n + 1 points, n >= 1); an Area's chain
// ends where it starts and is filled (holes run the other way round and are
// joined to the outline by a cut, so the nonzero rule leaves them empty).
struct TFabItem {
    enum class Kind { Stroke, Circle, Rect, Area };
    Kind kind = Kind::Stroke;
    std::vector<TFabPoint> chain;
    double width = 0.0;      // Stroke: the pen; Circle: the diameter; Rect: the x size
    double height = 0.0;     // Rect: the y size
    TFabPoint centre;        // Circle, Rect
    bool squareCap = false;  // Stroke: square ends and mitred corners, else round
    bool clear = false;      // clear polarity: takes away what was drawn before
    bool region = false;     // an Area from a region statement
    int group = -1;          // the pieces of one flash share a number
};

struct TFabPicture {
    std::vector<TFabItem> items;
    std::vector<std::string> warnings;  // each names the file and line
    // %TF.FileFunction without the leading "%TF.FileFunction,": "Copper,L1,Top".
    std::string fileFunction;
    bool drill = false;  // an Excellon file
};

enum class TFabKind { Gerber, Excellon };

inline constexpr std::size_t kMaxFabBytes = std::size_t(512) << 20;
inline constexpr std::size_t kMaxFabItems = 4'000'000;
inline constexpr double kMaxFabCoordinateMm = 10'000.0;  // 10 m either way
inline constexpr long kMaxStepRepeatCells = 10'000;

// Excellon when the file's first command is M48 (after comments), else Gerber.
TFabKind DetectFabKind(std::string_view bytes);

// false, with error "name:line: command: what", when the file cannot be read;
// picture is then left empty.
bool ReadGerber(std::string_view bytes, const std::string& name, TFabPicture& picture, std::string& error);
bool ReadExcellon(std::string_view bytes, const std::string& name, TFabPicture& picture, std::string& error);
