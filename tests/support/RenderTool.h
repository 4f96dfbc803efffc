#pragma once

#include <QString>
#include <cstdlib>

namespace tessaform {

// Runs tessaform-render quietly with the arguments (quoted as a shell
// wants them); its exit status.
inline int runRenderTool(const QString& arguments)
{
    return std::system((QString("'%1' -q ").arg(TESSAFORM_RENDER_EXE) + arguments).toLocal8Bit().constData());
}

}  // namespace tessaform
