#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "params/Gradient.h"
#include "session/EditHistory.h"
#include "session/SharedParams.h"

namespace tessaform {

// What one change of the live record touched.
struct RecordChange {
    // Dotted names of the fields set in place by the control that shows
    // them; empty when the whole record was replaced.
    std::vector<std::string_view> fields;
    // A load, an undo step or a frame of an animation replaced the record:
    // every control reads it again.
    bool wholeRecord = false;
    // The gradient slot was given a table, or a load of one was tried.
    bool gradient = false;
    // The preview draws even when the record's bits are those it drew last.
    bool redraw = false;
    // An undo or redo step, or a frame of an animation, rather than a
    // command: what was typed into the size fields stays.
    bool keepsTypedSize = false;
};

// The session's live record, the gradient slot and the edit history.
// Every change goes through one of the verbs and is announced once by
// `changed`, so that each window keeps itself in step by listening.
class LiveRecord : public QObject {
    Q_OBJECT

public:
    enum class Redraw { IfChanged, Always };

    const FractalParams& live() const { return params_.live(); }
    std::shared_ptr<const Gradient> gradient() const { return gradient_.current(); }
    EditState editState() const { return {live(), gradient()}; }

    // For the render machinery, which takes snapshots and reads the table;
    // the live record changes only through the verbs below.
    SharedParams& shared() { return params_; }
    GradientSlot& gradientSlot() { return gradient_; }

    // Steps of the history: call before a change with the record as it is.
    void markStep();
    // A run of events from one source without a pause is one step.
    void markBurstStep(int source);

    // Sets the named fields in place.
    void setFields(std::vector<std::string_view> fields, const std::function<void(FractalParams&)>& edit);
    // Replaces the whole record.
    void loadRecord(const FractalParams& record, Redraw redraw);
    // Replaces the whole record with a frame of an animation.
    void showFrame(const FractalParams& record, Redraw redraw);
    // Replaces the record and the gradient together, as an image does.
    void loadRecordAndGradient(const FractalParams& record, std::shared_ptr<const Gradient> gradient);
    // Lets `load` try to put a new table into the gradient slot.
    void loadGradient(const std::function<void(GradientSlot&)>& load);

    // One step back or forward; false when there is none.
    bool undo();
    bool redo();

signals:
    void changed(const tessaform::RecordChange& change);

private:
    bool restore(const std::optional<EditState>& state);
    void replaceRecordAndGradient(const FractalParams& record, std::shared_ptr<const Gradient> gradient,
                                  bool keepsTypedSize);

    SharedParams params_;
    GradientSlot gradient_;
    EditHistory history_;
};

}  // namespace tessaform
