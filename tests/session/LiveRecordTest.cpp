#include "session/LiveRecord.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace tessaform {
namespace {

// Every change the record announces.
struct ChangeLog {
    std::vector<RecordChange> changes;

    explicit ChangeLog(LiveRecord& record)
    {
        QObject::connect(&record, &LiveRecord::changed,
                         [this](const RecordChange& change) { changes.push_back(change); });
    }
};

FractalParams withPhi(float phi)
{
    FractalParams params = defaultParams();
    params.phi = phi;
    return params;
}

TEST(LiveRecordTest, EachVerbAnnouncesOneChangeNamingWhatItTouched)
{
    const auto gradient = std::make_shared<const Gradient>();
    const struct {
        const char* name;
        std::function<void(LiveRecord&)> act;
        std::vector<std::string_view> fields;
        bool wholeRecord;
        bool gradient;
        bool redraw;
        float phi;
    } cases[] = {
        {"set fields",
         [](LiveRecord& r) {
             r.setFields({"phi", "theta"}, [](FractalParams& p) { p.phi = 1.0f; });
         },
         {"phi", "theta"},
         false,
         false,
         false,
         1.0f},
        {"load a record",
         [](LiveRecord& r) { r.loadRecord(withPhi(2.0f), LiveRecord::Redraw::IfChanged); },
         {},
         true,
         false,
         false,
         2.0f},
        {"load a record drawn always",
         [](LiveRecord& r) { r.loadRecord(withPhi(3.0f), LiveRecord::Redraw::Always); },
         {},
         true,
         false,
         true,
         3.0f},
        {"show an animation frame",
         [](LiveRecord& r) { r.showFrame(withPhi(3.5f), LiveRecord::Redraw::Always); },
         {},
         true,
         false,
         true,
         3.5f},
        {"load a record and a gradient",
         [&](LiveRecord& r) { r.loadRecordAndGradient(withPhi(4.0f), gradient); },
         {},
         true,
         true,
         true,
         4.0f},
        {"try a gradient",
         [](LiveRecord& r) { r.loadGradient([](GradientSlot&) {}); },
         {},
         false,
         true,
         true,
         defaultParams().phi},
    };
    for (const auto& test : cases) {
        LiveRecord record;
        const ChangeLog log(record);
        test.act(record);
        ASSERT_EQ(log.changes.size(), 1u) << test.name;
        const RecordChange& change = log.changes[0];
        EXPECT_EQ(change.fields, test.fields) << test.name;
        EXPECT_EQ(change.wholeRecord, test.wholeRecord) << test.name;
        EXPECT_EQ(change.gradient, test.gradient) << test.name;
        EXPECT_EQ(change.redraw, test.redraw) << test.name;
        EXPECT_EQ(record.live().phi, test.phi) << test.name;
        EXPECT_EQ(change.keepsTypedSize, std::string_view(test.name) == "show an animation frame") << test.name;
    }
}

// Record and gradient go back and forward together, each step announced
// once as a whole new record and gradient; no step, no announcement.
TEST(LiveRecordTest, UndoAndRedoRestoreRecordAndGradientTogether)
{
    LiveRecord record;
    ChangeLog log(record);
    const std::shared_ptr<const Gradient> first = record.gradient();
    const auto second = std::make_shared<const Gradient>();
    record.markStep();
    record.setFields({"phi"}, [](FractalParams& p) { p.phi = 1.0f; });
    record.markStep();
    record.loadRecordAndGradient(withPhi(2.0f), second);
    log.changes.clear();

    const struct {
        bool (LiveRecord::*step)();
        bool taken;
        float phi;
        std::shared_ptr<const Gradient> gradient;
    } steps[] = {
        {&LiveRecord::undo, true, 1.0f, first},
        {&LiveRecord::undo, true, defaultParams().phi, first},
        {&LiveRecord::undo, false, defaultParams().phi, first},
        {&LiveRecord::redo, true, 1.0f, first},
        {&LiveRecord::redo, true, 2.0f, second},
        {&LiveRecord::redo, false, 2.0f, second},
    };
    for (std::size_t index = 0; index < std::size(steps); ++index) {
        const auto& step = steps[index];
        const std::size_t announced = log.changes.size();
        EXPECT_EQ((record.*step.step)(), step.taken) << index;
        EXPECT_EQ(record.live().phi, step.phi) << index;
        EXPECT_EQ(record.gradient(), step.gradient) << index;
        ASSERT_EQ(log.changes.size(), announced + (step.taken ? 1 : 0)) << index;
        if (step.taken) {
            const RecordChange& change = log.changes.back();
            EXPECT_TRUE(change.wholeRecord && change.gradient && change.redraw && change.keepsTypedSize) << index;
        }
    }
}

}  // namespace
}  // namespace tessaform
