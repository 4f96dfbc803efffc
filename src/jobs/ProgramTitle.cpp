#include "jobs/ProgramTitle.h"

// Set for this file alone by the build, from the project's version, so that
// a new version recompiles one file.
#ifndef TESSAFORM_VERSION
#error "TESSAFORM_VERSION must be defined by the build"
#endif

namespace tessaform {

std::string_view programVersion()
{
    return TESSAFORM_VERSION;
}

std::string programNameAndVersion()
{
    return std::string(kProgramName) + " " + std::string(programVersion());
}

std::string programTitle()
{
    return std::string(kProgramName) + " - " + std::string(programVersion());
}

}  // namespace tessaform
