#pragma once

#include <filesystem>
#include <string>

namespace tessaform {

// The folder that holds the running executable; empty when the system
// cannot tell.
std::filesystem::path executableDirectory();

// The installed data folder as seen from the folder of an installed
// executable (<prefix>/bin -> <prefix>/share/tessaform).
std::filesystem::path installedDataFolder(const std::filesystem::path& executableFolder);

// Where the default gradient is looked for, beside the executable first (a
// build folder), then in the installed data folder, found from the
// executable's folder so that a moved installation still finds it. The
// first of them that exists, or the one beside the executable when neither
// does, so that the message names it.
std::string defaultGradientPathFor(const std::filesystem::path& executableFolder);

// defaultGradientPathFor the running executable: the colours both programs
// start with.
std::string defaultGradientPath();

// The installed folder of the programs' own libraries as seen from the
// folder of an installed executable (<prefix>/bin -> <prefix>/lib/tessaform).
std::filesystem::path installedLibraryFolder(const std::filesystem::path& executableFolder);

// Where the film writer library is looked for: beside the executable first
// (a build folder), then in the installed library folder, as the gradient.
std::filesystem::path filmEncoderPathFor(const std::filesystem::path& executableFolder);

// filmEncoderPathFor the running executable.
std::filesystem::path filmEncoderPath();

}  // namespace tessaform
