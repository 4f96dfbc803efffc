#include <new>

#include "cli/ExitCode.h"
#include "cli/RenderCommand.h"

int main(int argc, char** argv)
{
    // Caught, not left to terminate, so that the stack unwinds and every
    // temporary file and claim is removed on the way out.
    try {
        return tessaform::runRenderCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        return tessaform::exitStatus(tessaform::fail(tessaform::ExitCode::RuntimeFailure, "Not enough memory"));
    }
}
