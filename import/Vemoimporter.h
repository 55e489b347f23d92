#pragma once
// Reads a file of the older line-and-land editor (".vem"): its layer names,
// the two aperture tables and the draw items, which become one group of
// objects. File units are millimetres with y upwards; the document's are 0.1 mm
// with y downwards, so x and sizes are multiplied by 10 and y by -10.
//
// The sections are read in file order (version, [LayerDef], [FlshDef],
// [LineDef], [DrawItems]) and the reading position never moves back: a
// missing or misplaced section makes its search use up the rest of the file.
// Nothing in the file is reported as an error; what was dropped is counted in
// GetReport.

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemotypes.h"

class TVemoGroup;

// What reading the draw items left out, for callers that tell the user.
struct TVemoImportReport {
    bool versionFound = false;
    bool drawItemsFound = false;              // the [DrawItems] header was met
    int items = 0;                            // lines, lands and flashes added
    int malformed = 0;                        // a value that is not a number, or a key without a value
    int unknownLayer = 0;                     // no layer number, or one the file does not define
    std::vector<int> unmapped;                // per legacy layer: items dropped because its slot is empty
    std::vector<std::string> malformedWords;  // the first few malformed words, as written
};

class TVemoImporter {
public:
    static constexpr int kApertureCount = 256;
    using ApertureTable = std::array<double, kApertureCount>;

    // Reads the version, the layers and both aperture tables. The stream is
    // read in the classic locale; it must outlive the importer.
    explicit TVemoImporter(std::istream& in);
    TVemoImporter(const TVemoImporter&) = delete;
    TVemoImporter& operator=(const TVemoImporter&) = delete;
    ~TVemoImporter();

    double GetVersion() const { return version_; }
    int LayerCount() const { return static_cast<int>(layerNames_.size()); }
    // UTF-8 (the file's CP932 decoded); empty for an index out of range.
    const std::string& LayerName(int index) const;
    const std::vector<std::string>& LayerNames() const { return layerNames_; }
    // The document layer that receives the items of legacy layer index; an
    // empty slot drops them. Fill the slots before ReadDrawItems. False for an
    // index out of range.
    bool SetLayerSlot(int index, TVemoLayerPtr layer);
    TVemoLayerPtr LayerSlot(int index) const;

    const ApertureTable& RoundApertures() const { return round_; }
    const ApertureTable& SquareApertures() const { return square_; }

    // Reads the [DrawItems] section on the first call; returns the import's
    // root group (owned by the importer), which also holds any group the file
    // left open.
    TVemoGroup* ReadDrawItems();

    const TVemoImportReport& GetReport() const { return report_; }

    // The tables before their section is read: 1.0, 1.5, ... 9.5 (indices
    // 0 ... 17), then 10, 11, ... 247, in internal units.
    static ApertureTable DefaultApertures();

private:
    void ReadVersion();
    void ReadLayerDef();
    void ReadApertures(const char* header, ApertureTable& table);
    bool SkipTo(const char* header);
    void ReadItem(const std::vector<std::string>& tokens, const std::string& word);
    void CloseGroup();

    std::istream& in_;
    double version_ = 0.0;
    ApertureTable round_;
    ApertureTable square_;
    std::vector<std::string> layerNames_;
    std::vector<TVemoLayerPtr> layerSlots_;
    std::vector<std::unique_ptr<TVemoGroup>> groups_;  // [0] is the root
    TVemoImportReport report_;
};
