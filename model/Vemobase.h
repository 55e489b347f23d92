#pragma once
// Root of the model classes that are copied polymorphically: drawing objects,
// layers and layer lists.

#include <memory>

class TVemoBase {
public:
    virtual ~TVemoBase() = default;

    // A deep copy owned by the caller; derived classes return their own type
    // (see CloneOf for an owning handle).
    [[nodiscard]] virtual TVemoBase* Clone() const = 0;

protected:
    TVemoBase() = default;
    TVemoBase(const TVemoBase&) = default;
    TVemoBase& operator=(const TVemoBase&) = default;
};

// Clone() wrapped in an owning pointer of the static type of the source.
template <class T>
std::unique_ptr<T> CloneOf(const T& source) {
    return std::unique_ptr<T>(source.Clone());
}
