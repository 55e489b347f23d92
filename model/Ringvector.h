#pragma once
// A vector indexed as a ring: index i names element i mod n, and negative
// indices count from the end (-1 is the last element). Paths keep their points
// and point-type bytes in it so that the closing segment needs no special case.

#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

template <class T>
class TRingVector {
public:
    using value_type = T;
    using size_type = std::size_t;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    TRingVector() = default;
    explicit TRingVector(size_type n, const T& value = T()) : items_(n, value) {}
    TRingVector(std::initializer_list<T> items) : items_(items) {}
    virtual ~TRingVector() = default;
    TRingVector(const TRingVector&) = default;
    TRingVector(TRingVector&&) noexcept = default;
    TRingVector& operator=(const TRingVector&) = default;
    TRingVector& operator=(TRingVector&&) noexcept = default;

    // The position in the underlying vector of ring index i; the ring must not be empty.
    size_type RingIndex(std::ptrdiff_t i) const {
        assert(!items_.empty());
        const auto n = static_cast<std::ptrdiff_t>(items_.size());
        std::ptrdiff_t r = i % n;
        if (r < 0) r += n;
        return static_cast<size_type>(r);
    }

    T& operator[](std::ptrdiff_t i) { return items_[RingIndex(i)]; }
    const T& operator[](std::ptrdiff_t i) const { return items_[RingIndex(i)]; }

    size_type size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    void resize(size_type n) { items_.resize(n); }
    void resize(size_type n, const T& value) { items_.resize(n, value); }
    void clear() { items_.clear(); }
    void push_back(const T& value) { items_.push_back(value); }
    void pop_back() {
        assert(!items_.empty());
        items_.pop_back();
    }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

    // Inserts before ring index i. An empty ring has no positions to wrap, so the
    // value simply becomes its only element.
    iterator insert(std::ptrdiff_t i, const T& value) {
        if (items_.empty()) return items_.insert(items_.end(), value);
        return items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(RingIndex(i)), value);
    }
    // Erases the element at ring index i; an empty ring stays empty.
    iterator erase(std::ptrdiff_t i) {
        if (items_.empty()) return items_.end();
        return items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(RingIndex(i)));
    }

    const std::vector<T>& Vector() const { return items_; }
    bool operator==(const TRingVector& other) const { return items_ == other.items_; }

private:
    std::vector<T> items_;
};
