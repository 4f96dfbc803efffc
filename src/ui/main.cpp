#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/Program.h"
#include "ui/QtSystemDialogs.h"
#include "ui/RunOnlySettings.h"
#include "ui/StartupArguments.h"

namespace {

std::vector<std::string> argumentsAfterName(int argc, char** argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}

}  // namespace

// --help and --version are answered before the toolkit starts, so that
// they work without a display; the toolkit then takes its own options and
// leaves at most one file to open.
int main(int argc, char** argv)
{
    if (const auto text = tessaform::startupTextToPrint(argumentsAfterName(argc, argv))) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }
    tessaform::keepToolkitSettingsForThisRunOnly();
    QApplication application(argc, argv);
    const tessaform::Result<std::optional<std::string>> file = tessaform::startupFile(argumentsAfterName(argc, argv));
    if (!file) {
        std::fprintf(stderr, "tessaform: %s (see --help)\n", file.error().c_str());
        return 1;
    }
    // The program ends when the dialog ends, whatever other window is open.
    QApplication::setQuitOnLastWindowClosed(false);
    tessaform::Program program([](QWidget* owner) -> std::unique_ptr<tessaform::SystemDialogs> {
        return std::make_unique<tessaform::QtSystemDialogs>(owner);
    });
    return program.run(*file);
}
