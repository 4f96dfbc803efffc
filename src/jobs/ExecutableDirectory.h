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

}  // namespace tessaform
