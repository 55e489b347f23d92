#pragma once
// The apertures of one photoplot file and the table that numbers them. Sizes
// are in document units (0.1 mm); definition lines give them in millimetres.
// Apertures are equal only when their sizes are the same floats: two widths
// that merely print alike still get two D-codes.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TAperture {
public:
    virtual ~TAperture() = default;

    [[nodiscard]] virtual std::unique_ptr<TAperture> Clone() const = 0;
    // The definition line without its line end.
    virtual std::string Text() const = 0;
    int GetNumber() const { return number_; }
    void SetNumber(int number) { number_ = number; }
    virtual bool IsEqual(const TAperture& other) const = 0;

protected:
    TAperture() = default;
    TAperture(const TAperture&) = default;
    TAperture& operator=(const TAperture&) = default;

private:
    int number_ = 0;  // the D-code, 0 until the table numbers it
};

class TApRound : public TAperture {
public:
    explicit TApRound(float diameter) : diameter_(diameter) {}

    std::unique_ptr<TAperture> Clone() const override;
    std::string Text() const override;
    bool IsEqual(const TAperture& other) const override;
    float GetDiameter() const { return diameter_; }

private:
    float diameter_;
};

// A rectangle; a non-zero rotation (whole degrees) is only ever given to a
// square, which is then defined as a turned four-vertex polygon.
class TApRect : public TAperture {
public:
    TApRect(float width, float height, int rotation = 0)
        : width_(width), height_(height), rotation_(rotation) {}

    std::unique_ptr<TAperture> Clone() const override;
    std::string Text() const override;
    bool IsEqual(const TAperture& other) const override;
    float GetWidth() const { return width_; }
    float GetHeight() const { return height_; }
    int GetRotation() const { return rotation_; }

private:
    float width_;
    float height_;
    int rotation_;
};

// An obround: a rectangle of width x height whose shorter sides are half circles.
class TApObround : public TAperture {
public:
    TApObround(float width, float height) : width_(width), height_(height) {}

    std::unique_ptr<TAperture> Clone() const override;
    std::string Text() const override;
    bool IsEqual(const TAperture& other) const override;
    float GetWidth() const { return width_; }
    float GetHeight() const { return height_; }

private:
    float width_;
    float height_;
};

// Apertures in order of first use; the k-th (from 0) has D-code 10 + k.
class TApertureList {
public:
    static constexpr int kFirstNumber = 10;
    static constexpr int kRound = 0;
    static constexpr int kSquare = 1;
    static constexpr int kObround = 2;

    TApertureList() = default;
    TApertureList(const TApertureList&) = delete;
    TApertureList& operator=(const TApertureList&) = delete;

    // The D-code of an equal aperture, appending a numbered copy when there is none.
    int Lookup(const TAperture& aperture);
    // kind kSquare: a square of side size turned by rotation degrees; any other
    // kind: a round aperture of diameter size (rotation ignored).
    int Lookup(float size, int kind, int rotation = 0);

    // Every definition line followed by a CR LF, in table order.
    std::string Text() const;
    int Count() const { return static_cast<int>(apertures_.size()); }
    const TAperture& At(int i) const { return *apertures_[static_cast<std::size_t>(i)]; }
    void Clear();

private:
    struct Key {
        int kind;
        std::uint32_t a, b;
        int rotation;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };

    std::vector<std::unique_ptr<TAperture>> apertures_;
    // Speeds up Lookup on boards with many items; holds only apertures whose
    // sizes are numbers (a NaN size equals nothing, not even itself).
    std::unordered_map<Key, int, KeyHash> index_;
};
