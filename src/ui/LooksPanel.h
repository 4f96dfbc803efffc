#pragma once

#include <QWidget>
#include <array>

#include "ui/SliderTable.h"

class QLabel;
class QSlider;

namespace tessaform {

class LiveRecord;
struct RecordChange;

inline constexpr int kLookSliderCount = 5;

// The sliders of the looks, each with its label. Ids follow on from the
// settings window's own; positions in dialog units are not used, as the
// panel lays itself out.
std::span<const SliderRow> lookSliderRows();

// A small window of its own with a slider and a label per look. Its sliders
// write the live record as the settings window's do, step for step of the
// edit history, and follow the record when anything else changes it.
class LooksPanel : public QWidget {
    Q_OBJECT

public:
    // A tool window of parent, above it but not inside it.
    LooksPanel(LiveRecord& record, QWidget* parent);

    QSlider* slider(std::string_view field) const;
    QLabel* label(std::string_view field) const;

private:
    void onSliderAction(const SliderRow& row, const QSlider& slider);
    void store(const SliderRow& row, int position);
    void showRecord(const RecordChange& change);
    bool eventFilter(QObject* watched, QEvent* event) override;

    LiveRecord& record_;
    std::array<QSlider*, kLookSliderCount> sliders_{};
    std::array<QLabel*, kLookSliderCount> labels_{};
    const QSlider* pressed_ = nullptr;
};

}  // namespace tessaform
