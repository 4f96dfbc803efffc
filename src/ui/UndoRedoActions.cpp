#include "ui/UndoRedoActions.h"

#include <QAction>
#include <QWidget>

namespace tessaform {
namespace {

void addShortcut(QWidget& window, const char* name, const QList<QKeySequence>& keys, const std::function<void()>& act)
{
    auto* action = new QAction(QString::fromLatin1(name), &window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    QObject::connect(action, &QAction::triggered, &window, act);
    window.addAction(action);
}

}  // namespace

void addUndoRedoActions(QWidget& window, const std::function<void()>& undo, const std::function<void()>& redo)
{
    addShortcut(window, "undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, undo);
    addShortcut(window, "redo", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                redo);
}

}  // namespace tessaform
