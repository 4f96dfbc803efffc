#pragma once

#include <QTableWidget>

#include "anim/Animation.h"
#include "params/ParamFields.h"

namespace tessaform {

// How each field that differs between keys moves: smooth, linear or step;
// the power only steps.
class InterpolationTable : public QTableWidget {
    Q_OBJECT

public:
    explicit InterpolationTable(QWidget* parent = nullptr);

    void showModes(const Animation& animation);

    // Tall enough for six fields without scrolling.
    QSize sizeHint() const override;

signals:
    void modeChosen(const tessaform::ParamField& field, tessaform::Interpolation mode);

private:
    QWidget* modeChooser(const ParamField& field, Interpolation mode);
};

}  // namespace tessaform
