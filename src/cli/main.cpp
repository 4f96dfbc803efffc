#include <exception>
#include <new>

#include "cli/ExitCode.h"
#include "cli/RenderCommand.h"

// Caught, not left to terminate, so that the stack unwinds and every
// temporary file and claim is removed on the way out. Besides memory, a
// thread that cannot be started under an address-space limit ends here.
int main(int argc, char** argv)
{
    using tessaform::ExitCode;
    try {
        return tessaform::runRenderCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        return exitStatus(fail(ExitCode::RuntimeFailure, "Not enough memory"));
    } catch (const std::exception& error) {
        return exitStatus(fail(ExitCode::RuntimeFailure, error.what()));
    }
}
