#pragma once

#include <QSlider>

#include "session/FrameRenderer.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "support/ScriptedDialogs.h"
#include "ui/Commands.h"
#include "ui/SettingsDialog.h"

namespace tessaform {

// The settings dialog with its commands and scripted system dialogs. Each
// render request is counted and takes the snapshot, as a render's start
// does, so that the count is one per change of the record's bits.
struct CommandsFixture {
    ProgramState state;
    QtRenderView view;
    FrameRenderer renderer{state.record.gradientSlot(), view};
    RenderScheduler scheduler{state.record.shared(), renderer};
    ScriptedDialogs dialogs;
    int renderRequests = 0;
    SettingsDialog dialog{state, [this] { requestRender(); }};
    Commands commands{state, dialog, dialogs, HighQualityServices{scheduler, renderer, view}};

    CommandsFixture()
    {
        dialog.setCommandHandler([this](CommandId commandId) { commands.run(commandId); });
        dialog.initialize();
        state.record.shared().takeSnapshot();
    }

    void requestRender()
    {
        ++renderRequests;
        state.record.shared().takeSnapshot();
    }

    QSlider& slider(int id) { return *dialog.findChild<QSlider*>(QStringLiteral("trackbar%1").arg(id)); }
};

}  // namespace tessaform
