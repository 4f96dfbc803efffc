#pragma once

namespace tessaform {

// The whole of tessaform-render; returns the process exit code.
int runRenderCommand(int argc, const char* const* argv);

}  // namespace tessaform
