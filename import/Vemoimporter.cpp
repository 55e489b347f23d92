#include "import/Vemoimporter.h"

#include <boost/lexical_cast.hpp>
#include <boost/tokenizer.hpp>

#include <cmath>
#include <locale>
#include <utility>

#include "archive/Cp932.h"
#include "geom/Units.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemosurface.h"

namespace {

// Words longer than this are no part of a sound file; they are used up but
// never held whole, so a file without white space cannot claim all memory.
constexpr std::size_t kMaxWordLength = 4096;
// Deeper nesting is flattened into the deepest group: very deep trees would
// exhaust the stack of every later recursive walk (copy, save, drawing).
constexpr std::size_t kMaxOpenGroups = 100;
constexpr std::size_t kMaxMalformedExamples = 10;
// Layer entries shorter than this end the layer section.
constexpr std::size_t kMinLayerEntryLength = 20;

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one word as extracting a string from a text stream does; false (with
// the stream failed) when only white space was left. overlong says the word
// was cut short.
bool ReadWord(std::istream& in, std::string& word, bool& overlong) {
    word.clear();
    overlong = false;
    std::streambuf* sb = in.good() ? in.rdbuf() : nullptr;
    if (sb == nullptr) {
        in.setstate(std::ios::failbit);
        return false;
    }
    int c = sb->sgetc();
    while (c != std::char_traits<char>::eof() && IsSpace(c)) c = sb->snextc();
    if (c == std::char_traits<char>::eof()) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return false;
    }
    while (c != std::char_traits<char>::eof() && !IsSpace(c)) {
        if (word.size() < kMaxWordLength)
            word.push_back(char(c));
        else
            overlong = true;
        c = sb->snextc();
    }
    if (c == std::char_traits<char>::eof()) in.setstate(std::ios::eofbit);
    return true;
}

std::vector<std::string> Tokens(const std::string& word) {
    using Tokenizer = boost::tokenizer<boost::char_separator<char>>;
    const boost::char_separator<char> separators(":,=");
    const Tokenizer tokens(word, separators);
    return {tokens.begin(), tokens.end()};
}

// A coordinate in millimetres from a token that holds nothing but the number,
// in document units times sign (-1 turns the file's y axis to the document's);
// values that are not finite, before or after scaling, are refused.
bool ToCoordinate(const std::string& token, double sign, float& out) {
    double value = 0.0;
    if (!boost::conversion::try_lexical_convert(token, value) || !std::isfinite(value)) return false;
    out = float(sign * units::FromMm(value));
    return std::isfinite(out);
}

bool ToInteger(const std::string& token, int& out) {
    return boost::conversion::try_lexical_convert(token, out);
}

bool InTable(int index) {
    return index >= 0 && index < TVemoImporter::kApertureCount;
}

}  // namespace

TVemoImporter::ApertureTable TVemoImporter::DefaultApertures() {
    ApertureTable table{};
    for (int k = 0; k < kApertureCount; ++k) table[std::size_t(k)] = k < 18 ? 1.0 + 0.5 * k : double(k - 8);
    return table;
}

TVemoImporter::TVemoImporter(std::istream& in)
    : in_(in), round_(DefaultApertures()), square_(DefaultApertures()) {
    in_.imbue(std::locale::classic());
    ReadVersion();
    ReadLayerDef();
    ReadApertures("[FlshDef]", square_);
    ReadApertures("[LineDef]", round_);
}

TVemoImporter::~TVemoImporter() = default;

const std::string& TVemoImporter::LayerName(int index) const {
    static const std::string kNone;
    return index >= 0 && index < LayerCount() ? layerNames_[std::size_t(index)] : kNone;
}

bool TVemoImporter::SetLayerSlot(int index, TVemoLayerPtr layer) {
    if (index < 0 || index >= LayerCount()) return false;
    layerSlots_[std::size_t(index)] = std::move(layer);
    return true;
}

TVemoLayerPtr TVemoImporter::LayerSlot(int index) const {
    return index >= 0 && index < LayerCount() ? layerSlots_[std::size_t(index)] : TVemoLayerPtr();
}

bool TVemoImporter::SkipTo(const char* header) {
    std::string word;
    bool overlong = false;
    while (ReadWord(in_, word, overlong))
        if (word == header) return true;
    return false;
}

void TVemoImporter::ReadVersion() {
    in_.clear();
    std::string word;
    bool overlong = false;
    while (ReadWord(in_, word, overlong)) {
        if (word.find("VEMO:Version") != std::string::npos) {
            report_.versionFound = true;
            double version = 0.0;
            if (in_ >> version) version_ = version;
            return;
        }
    }
}

void TVemoImporter::ReadLayerDef() {
    in_.clear();
    layerNames_.clear();
    layerSlots_.clear();
    if (!SkipTo("[LayerDef]")) return;
    std::string word;
    bool overlong = false;
    while (ReadWord(in_, word, overlong)) {
        if (word.size() < kMinLayerEntryLength) break;
        const std::vector<std::string> tokens = Tokens(word);
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
            if (tokens[i] != "NAME") continue;
            layerNames_.push_back(DecodeCp932(tokens[i + 1]));
            layerSlots_.emplace_back();
            break;
        }
    }
    report_.unmapped.assign(layerNames_.size(), 0);
}

void TVemoImporter::ReadApertures(const char* header, ApertureTable& table) {
    in_.clear();
    table = DefaultApertures();
    if (!SkipTo(header)) return;
    while (in_.good()) {
        int index = 0;
        if (!(in_ >> index) || !InTable(index)) break;
        in_.get();  // the separator, whatever it is
        double value = 0.0;
        if (!(in_ >> value)) break;
        const double scaled = units::FromMm(value);
        if (!std::isfinite(float(scaled))) break;  // refused like any other bad number
        table[std::size_t(index)] = scaled;
    }
}

TVemoGroup* TVemoImporter::ReadDrawItems() {
    if (groups_.empty()) {
        groups_.push_back(std::make_unique<TVemoGroup>());
        in_.clear();
        report_.drawItemsFound = SkipTo("[DrawItems]");
        std::size_t flattened = 0;  // GROUPs beyond the nesting limit still open
        std::string word;
        bool overlong = false;
        while (report_.drawItemsFound && ReadWord(in_, word, overlong)) {
            const std::vector<std::string> tokens = Tokens(word);
            if (tokens.empty()) continue;
            const std::string& kind = tokens.front();
            if (kind == "LINE" || kind == "LAND" || kind == "FLSH") {
                if (overlong) {
                    ++report_.malformed;
                    continue;
                }
                ReadItem(tokens, word);
            } else if (kind == "GROUP") {
                if (groups_.size() < kMaxOpenGroups)
                    groups_.push_back(std::make_unique<TVemoGroup>());
                else
                    ++flattened;
            } else if (kind == "ENDGR") {
                if (flattened > 0)
                    --flattened;
                else
                    CloseGroup();
            }
        }
        // A file that ends inside groups closes every one of them, so that the
        // root and all it holds are returned.
        while (groups_.size() > 1) CloseGroup();
    }
    return groups_.back().get();
}

void TVemoImporter::CloseGroup() {
    if (groups_.size() < 2) return;  // an ENDGR without its GROUP
    std::unique_ptr<TVemoGroup> top = std::move(groups_.back());
    groups_.pop_back();
    groups_.back()->AddChild(std::move(top));
}

void TVemoImporter::ReadItem(const std::vector<std::string>& tokens, const std::string& word) {
    const std::string& kind = tokens.front();
    const bool line = kind == "LINE";
    const bool land = kind == "LAND";

    float xs = 0, ys = 0, xe = 0, ye = 0;  // LINE
    float x = 0, y = 0;                    // LAND, FLSH
    int layer = -1;
    TVemoSurface style;  // LINE: width 1, unfilled, round caps and joins
    float half = 10.0f;  // LAND radius, FLSH half side: a 2 mm land or square

    auto malformed = [&] {
        ++report_.malformed;
        if (report_.malformedWords.size() < kMaxMalformedExamples) report_.malformedWords.push_back(word);
    };

    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const std::string& key = tokens[i];
        float* coordinate = nullptr;
        double sign = 1.0;
        if (line && (key == "XS" || key == "XE")) {
            coordinate = key == "XS" ? &xs : &xe;
        } else if (line && (key == "YS" || key == "YE")) {
            coordinate = key == "YS" ? &ys : &ye;
            sign = -1.0;
        } else if (!line && key == "X") {
            coordinate = &x;
        } else if (!line && key == "Y") {
            coordinate = &y;
            sign = -1.0;
        } else if (!(key == "LE" || key == "AP" || (line && key == "SQ"))) {
            continue;  // not a key of this item: skipped
        }
        if (i + 1 >= tokens.size()) return malformed();
        const std::string& value = tokens[++i];
        if (coordinate != nullptr) {
            if (!ToCoordinate(value, sign, *coordinate)) return malformed();
            continue;
        }
        int n = 0;
        if (!ToInteger(value, n)) return malformed();
        if (key == "LE") {
            layer = n;
        } else if (line && key == "AP") {
            style.SetCap(geom::CapRound);
            style.SetJoin(geom::JoinRound);
            if (InTable(n)) style.SetWidth(float(round_[std::size_t(n)]));
        } else if (line) {  // SQ
            style.SetCap(geom::CapSquare);
            style.SetJoin(geom::JoinBevel);
            if (InTable(n)) style.SetWidth(float(square_[std::size_t(n)]));
        } else if (InTable(n)) {  // AP of a land (round table) or a flash (square table)
            half = float((land ? round_ : square_)[std::size_t(n)] / 2.0);
        }
    }

    if (layer < 0 || layer >= LayerCount()) {
        ++report_.unknownLayer;
        return;
    }
    const TVemoLayerPtr target = layerSlots_[std::size_t(layer)];
    if (!target) {
        ++report_.unmapped[std::size_t(layer)];
        return;
    }

    std::unique_ptr<TVemoObject> object;
    if (line && !(xs == xe && ys == ye)) {
        auto path = std::make_unique<TVemoPath>();
        path->SetLayer(target);
        path->SetSurface(style);
        path->Reset();
        path->AppendNode(PointF(xs, ys));
        path->AppendNode(PointF(xe, ye));
        path->Finish();
        object = std::move(path);
    } else if (line || land) {
        // A land, or a line of no length, which is drawn as the round dot its pen makes.
        const PointF centre = line ? PointF(xs, ys) : PointF(x, y);
        const float radius = line ? style.GetWidth() / 2.0f : half;
        TVemoSurface filled = line ? style : TVemoSurface();
        filled.SetFill(true);
        filled.SetWidth(0.0f);
        auto dot = std::make_unique<TVemoEllipse>();
        dot->SetLayer(target);
        dot->SetSurface(filled);
        dot->SetCircle(centre, PointF(centre.x + radius, centre.y));
        object = std::move(dot);
    } else {
        auto flash = std::make_unique<TVemoRect>();
        flash->SetLayer(target);
        flash->SetSurface(TVemoSurface(0.0f, true, false));
        flash->SetCorners(PointF(x - half, y - half), PointF(x + half, y + half));
        object = std::move(flash);
    }
    groups_.back()->AddChild(std::move(object));
    ++report_.items;
}
