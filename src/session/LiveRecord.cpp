#include "session/LiveRecord.h"

#include <utility>

namespace tessaform {

void LiveRecord::markStep()
{
    history_.checkpoint(editState());
}

void LiveRecord::markBurstStep(int source)
{
    history_.checkpointBurst(source, EditHistory::Clock::now(), editState());
}

void LiveRecord::setFields(std::vector<std::string_view> fields, const std::function<void(FractalParams&)>& edit)
{
    params_.editLive(edit);
    emit changed(RecordChange{std::move(fields), false, false, false, false});
}

void LiveRecord::loadRecord(const FractalParams& record, Redraw redraw)
{
    params_.editLive([&record](FractalParams& live) { live = record; });
    emit changed(RecordChange{{}, true, false, redraw == Redraw::Always, false});
}

void LiveRecord::showFrame(const FractalParams& record, Redraw redraw)
{
    params_.editLive([&record](FractalParams& live) { live = record; });
    emit changed(RecordChange{{}, true, false, redraw == Redraw::Always, true});
}

void LiveRecord::loadRecordAndGradient(const FractalParams& record, std::shared_ptr<const Gradient> gradient)
{
    replaceRecordAndGradient(record, std::move(gradient), false);
}

void LiveRecord::replaceRecordAndGradient(const FractalParams& record, std::shared_ptr<const Gradient> gradient,
                                          bool keepsTypedSize)
{
    gradient_.publish(std::move(gradient));
    params_.editLive([&record](FractalParams& live) { live = record; });
    emit changed(RecordChange{{}, true, true, true, keepsTypedSize});
}

void LiveRecord::loadGradient(const std::function<void(GradientSlot&)>& load)
{
    load(gradient_);
    emit changed(RecordChange{{}, false, true, true, false});
}

bool LiveRecord::undo()
{
    return restore(history_.undo(editState()));
}

bool LiveRecord::redo()
{
    return restore(history_.redo(editState()));
}

bool LiveRecord::restore(const std::optional<EditState>& state)
{
    if (!state) {
        return false;
    }
    replaceRecordAndGradient(state->params, state->gradient, true);
    return true;
}

}  // namespace tessaform
