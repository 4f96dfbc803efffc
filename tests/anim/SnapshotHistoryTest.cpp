#include "anim/SnapshotHistory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace tessaform {
namespace {

// Snapshots are numbers; each edit makes a number never seen before.
struct ScriptRun {
    SnapshotHistory<int> history;
    int current = 0;
    int nextValue = 1;

    explicit ScriptRun(std::size_t depth) : history(depth) {}

    // r: record and edit, c: checkpoint, e: edit alone, u: undo, y: redo.
    void play(const std::string& script)
    {
        for (const char op : script) {
            switch (op) {
                case 'r':
                    history.record(current);
                    current = nextValue++;
                    break;
                case 'c':
                    history.checkpoint(current);
                    break;
                case 'e':
                    current = nextValue++;
                    break;
                case 'u':
                    current = history.undo(current).value_or(current);
                    break;
                case 'y':
                    current = history.redo(current).value_or(current);
                    break;
                default:
                    FAIL() << "unknown step " << op;
            }
        }
    }
};

// How many steps a run's history goes in one direction, and where it ends.
struct Walk {
    int steps = 0;
    int end = 0;
};

Walk walk(ScriptRun& run, bool back)
{
    Walk result{0, run.current};
    while (const auto next = back ? run.history.undo(result.end) : run.history.redo(result.end)) {
        result.end = *next;
        ++result.steps;
    }
    return result;
}

TEST(SnapshotHistoryTest, KeepsRedoOnlyUntilAChangeAndNeverExceedsItsDepth)
{
    const struct {
        const char* script;
        std::size_t depth;
        int current;
        int undoSteps;
        int oldest;
        int redoSteps;
    } cases[] = {
        {"rrr", 100, 3, 3, 0, 0},
        {"rrrrr", 3, 5, 3, 2, 0},
        {"rrrrruuuuu", 3, 2, 0, 2, 3},
        {"rrruuuyyy", 2, 3, 2, 1, 0},
        {"uy", 100, 0, 0, 0, 0},
        {"rruu", 100, 0, 0, 0, 2},
        {"rruur", 100, 3, 1, 0, 0},
        {"rruyuy", 100, 2, 2, 0, 0},
        // A checkpoint that nothing followed keeps the redo branch; one
        // followed by an edit ends it.
        {"rruc", 100, 1, 1, 0, 1},
        {"rruce", 100, 3, 2, 0, 0},
        {"rrucc", 100, 1, 1, 0, 1},
        // A pending checkpoint counts as a step of its own before a record.
        {"cer", 100, 2, 2, 0, 0},
    };
    for (const auto& test : cases) {
        ScriptRun backward(test.depth);
        backward.play(test.script);
        EXPECT_EQ(backward.current, test.current) << test.script;
        const Walk back = walk(backward, true);
        EXPECT_EQ(back.steps, test.undoSteps) << test.script;
        EXPECT_EQ(back.end, test.oldest) << test.script;
        ScriptRun forward(test.depth);
        forward.play(test.script);
        EXPECT_EQ(walk(forward, false).steps, test.redoSteps) << test.script;
    }
}

}  // namespace
}  // namespace tessaform
