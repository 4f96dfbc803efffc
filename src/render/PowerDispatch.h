#pragma once

#include <type_traits>

namespace tessaform {

// The powers n of z <- z^n + c that the engine renders.
inline constexpr int kLowestPower = 2;
inline constexpr int kHighestPower = 5;

constexpr bool isSupportedPower(int power)
{
    return power >= kLowestPower && power <= kHighestPower;
}

// Calls act with std::integral_constant<int, power>, so that what it calls
// has the power as a compile-time constant. Callers check the power first;
// any other counts as 5.
template <typename Act>
decltype(auto) withPower(int power, Act&& act)
{
    switch (power) {
        case 2:
            return act(std::integral_constant<int, 2>{});
        case 3:
            return act(std::integral_constant<int, 3>{});
        case 4:
            return act(std::integral_constant<int, 4>{});
        default:
            return act(std::integral_constant<int, 5>{});
    }
}

}  // namespace tessaform
