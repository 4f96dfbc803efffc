#include "ui/RunOnlySettings.h"

#include <QSettings>
#include <QTemporaryDir>

namespace tessaform {

void keepToolkitSettingsForThisRunOnly()
{
    // Static, so that it outlives the toolkit's own statics, which may still
    // write settings as the process ends.
    static const QTemporaryDir folder;
    // Where no folder can be made, nothing can be saved under /dev/null,
    // not even by root, which is as good.
    const QString path = folder.isValid() ? folder.path() : QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

}  // namespace tessaform
