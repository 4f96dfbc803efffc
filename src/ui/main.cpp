#include <QApplication>

#include "ui/Program.h"
#include "ui/QtSystemDialogs.h"
#include "ui/RunOnlySettings.h"

// Command-line arguments are ignored, apart from the toolkit's own options.
int main(int argc, char** argv)
{
    tessaform::keepToolkitSettingsForThisRunOnly();
    QApplication application(argc, argv);
    // The program ends when the dialog ends, whatever other window is open.
    QApplication::setQuitOnLastWindowClosed(false);
    tessaform::Program program([](QWidget* owner) -> std::unique_ptr<tessaform::SystemDialogs> {
        return std::make_unique<tessaform::QtSystemDialogs>(owner);
    });
    return program.run();
}
