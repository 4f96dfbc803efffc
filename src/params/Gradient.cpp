#include "params/Gradient.h"

namespace tessaform {

Gradient gradientFromRgbBytes(std::span<const std::uint8_t> rgb)
{
    std::vector<Colour> entries;
    entries.reserve(rgb.size() / 3);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        entries.push_back({rgb[i] * kByteToUnit, rgb[i + 1] * kByteToUnit, rgb[i + 2] * kByteToUnit});
    }
    return Gradient(std::move(entries));
}

const Gradient& neutralGradient()
{
    static const Gradient ramp = [] {
        constexpr int kEntries = 256;
        std::vector<Colour> entries;
        entries.reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            const float level = 0.9f - 0.75f * static_cast<float>(i) / (kEntries - 1);
            entries.push_back({level, level, level});
        }
        return Gradient(std::move(entries));
    }();
    return ramp;
}

GradientSlot::GradientSlot() : current_(std::make_shared<const Gradient>()) {}

}  // namespace tessaform
