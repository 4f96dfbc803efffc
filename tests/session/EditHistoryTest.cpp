#include "session/EditHistory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace tessaform {
namespace {

using namespace std::chrono_literals;

EditState defaultState()
{
    return {defaultParams(), std::make_shared<const Gradient>()};
}

bool sameBits(const EditState& a, const EditState& b)
{
    return std::memcmp(&a.params, &b.params, sizeof a.params) == 0 && a.gradient == b.gradient;
}

// -0 and +0, and a NaN, differ from their neighbours only in their bits; the
// last step swaps the gradient alone. The oldest step falls off at depth 3.
TEST(EditHistoryTest, UndoAndRedoGiveTheExactStatesUpToTheDepth)
{
    EditHistory history(3);
    std::vector<EditState> states{defaultState()};
    for (const float phi : {-0.0f, 0.0f, std::nanf("1")}) {
        history.checkpoint(states.back());
        states.push_back(states.back());
        states.back().params.phi = phi;
    }
    history.checkpoint(states.back());
    states.push_back({states.back().params, std::make_shared<const Gradient>()});

    EditState current = states.back();
    for (std::size_t step = states.size() - 1; step > 1; --step) {
        current = history.undo(current).value();
        EXPECT_TRUE(sameBits(states[step - 1], current)) << step;
    }
    EXPECT_FALSE(history.undo(current));
    for (std::size_t step = 2; step < states.size(); ++step) {
        current = history.redo(current).value();
        EXPECT_TRUE(sameBits(states[step], current)) << step;
    }
    EXPECT_FALSE(history.redo(current));
}

// Each event moves phi; source 0 stands for another kind of change.
struct BurstEvent {
    int source;
    std::chrono::milliseconds at;
};

TEST(EditHistoryTest, BurstsFromOneSourceWithoutAPauseAreOneStep)
{
    const struct {
        const char* name;
        std::vector<BurstEvent> events;
        int steps;
    } cases[] = {
        {"one source, no pause", {{7, 0ms}, {7, 900ms}, {7, 1800ms}}, 1},
        {"a pause of exactly the limit", {{7, 0ms}, {7, 1000ms}}, 1},
        {"a longer pause", {{7, 0ms}, {7, 1001ms}}, 2},
        {"another source between", {{7, 0ms}, {8, 10ms}, {7, 20ms}}, 3},
        {"another kind of change between", {{7, 0ms}, {0, 10ms}, {7, 20ms}}, 3},
    };
    for (const auto& burst : cases) {
        EditHistory history;
        EditState current = defaultState();
        for (const BurstEvent& event : burst.events) {
            if (event.source == 0) {
                history.checkpoint(current);
            } else {
                history.checkpointBurst(event.source, EditHistory::Clock::time_point(event.at), current);
            }
            current.params.phi += 1.0f;
        }
        int steps = 0;
        while (const auto previous = history.undo(current)) {
            current = *previous;
            ++steps;
        }
        EXPECT_EQ(steps, burst.steps) << burst.name;
        EXPECT_EQ(current.params.phi, defaultParams().phi) << burst.name;
    }
}

}  // namespace
}  // namespace tessaform
