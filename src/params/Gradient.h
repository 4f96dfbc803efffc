#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "params/Colour.h"

namespace tessaform {

// An immutable colour table: the top row of an image, left to right.
class Gradient {
public:
    Gradient() = default;
    explicit Gradient(std::vector<Colour> entries) : entries_(std::move(entries)) {}

    int count() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    const Colour& operator[](int index) const { return entries_[static_cast<std::size_t>(index)]; }
    std::span<const Colour> entries() const { return entries_; }

private:
    std::vector<Colour> entries_;
};

// Builds the table from packed 8-bit red, green, blue triples.
Gradient gradientFromRgbBytes(std::span<const std::uint8_t> rgb);

// Keeps surfaces visible when no gradient image could be loaded: a grey
// ramp from light (lit side) to dark.
const Gradient& neutralGradient();

// The program's current table. A replacement is published whole, so a
// render that took the table once sees count and entries as one unit, and
// the old table lives on for as long as a render still holds it.
class GradientSlot {
public:
    GradientSlot();

    std::shared_ptr<const Gradient> current() const { return current_.load(); }
    void publish(std::shared_ptr<const Gradient> gradient) { current_.store(std::move(gradient)); }

private:
    std::atomic<std::shared_ptr<const Gradient>> current_;
};

}  // namespace tessaform
