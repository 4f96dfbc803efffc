#pragma once

#include <QTableWidget>
#include <cstddef>
#include <optional>

namespace tessaform {

struct Animation;

// The keys, one row each: the frame, which the user may edit, and the
// fields the key changes from the key before.
class KeyTable : public QTableWidget {
    Q_OBJECT

public:
    explicit KeyTable(QWidget* parent = nullptr);

    // Selects the key at selectedFrame, if there is one, without a signal.
    void showKeys(const Animation& animation, std::optional<int> selectedFrame);
    std::optional<std::size_t> selectedKey() const;
    // Selects the key, or none, without a signal.
    void selectKey(std::optional<std::size_t> index);

signals:
    void frameEdited(std::size_t index, int frame);
};

}  // namespace tessaform
