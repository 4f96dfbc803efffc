#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "io/ProcessIdentity.h"

namespace tessaform {

// Files being written are named for the process writing them,
// ".tessaform-HOST-PID-START-N.partial", so that when a process is killed
// outright a later one can tell its leftovers from a live run's files.

// A name in folder that no other temporary file of this process has.
std::string newPartialFilePath(const std::filesystem::path& folder);

// The process a file name says is writing it; empty for any other name.
std::optional<ProcessIdentity> writerOfPartialFile(const std::string& fileName);

// Removes the temporary files in folder whose writer has ended; each folder
// is looked through once a process. Files that cannot be judged (those of
// other hosts, or named another way) are left alone.
void removeStalePartialFiles(const std::filesystem::path& folder);

}  // namespace tessaform
