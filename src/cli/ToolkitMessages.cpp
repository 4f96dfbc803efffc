#include "cli/ToolkitMessages.h"

#include <QtGlobal>

namespace tessaform {
namespace {

void discardMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

void silenceToolkitMessages()
{
    qInstallMessageHandler(discardMessage);
}

}  // namespace tessaform
