#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/ExecutableDirectory.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

// The default gradient and the film writer library are each found beside
// the program first (a build folder), then in their installed folder.
TEST(ExecutableDirectory, FilesBesideTheProgramFirstThenInTheInstalledFolder)
{
    struct File {
        const char* name;
        std::filesystem::path (*installedFolder)(const std::filesystem::path&);
        std::string (*lookup)(const std::filesystem::path&);
    };
    const File files[] = {
        {"gradient.jpg", installedDataFolder, defaultGradientPathFor},
        {"libtessaform-film.so", installedLibraryFolder,
         [](const std::filesystem::path& bin) { return filmEncoderPathFor(bin).string(); }},
    };
    struct Case {
        const char* what;
        bool beside;
        bool installed;
        bool expectInstalled;
    };
    const Case cases[] = {
        {"a build folder", true, false, false},
        {"an installed tree", false, true, true},
        {"both: the build folder's wins", true, true, false},
        {"neither: the message names the place beside the program", false, false, false},
    };
    for (const File& file : files) {
        for (const Case& c : cases) {
            const ScratchFolder prefix;
            const std::filesystem::path bin = prefix.path() / "bin";
            const std::filesystem::path installed = file.installedFolder(bin);
            std::filesystem::create_directories(bin);
            std::filesystem::create_directories(installed);
            if (c.beside) {
                writeFileBytes((bin / file.name).string(), "bytes");
            }
            if (c.installed) {
                writeFileBytes((installed / file.name).string(), "bytes");
            }
            const std::filesystem::path expected = (c.expectInstalled ? installed : bin) / file.name;
            EXPECT_EQ(file.lookup(bin), expected.string()) << file.name << ": " << c.what;
            EXPECT_TRUE(installed.string().starts_with(prefix.path().string())) << "inside the prefix, whatever it is";
        }
    }
}

}  // namespace
}  // namespace tessaform
