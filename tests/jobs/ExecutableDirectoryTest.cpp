#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/ExecutableDirectory.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

TEST(ExecutableDirectory, DefaultGradientBesideTheProgramFirstThenInTheInstalledDataFolder)
{
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
    for (const Case& c : cases) {
        const ScratchFolder prefix;
        const std::filesystem::path bin = prefix.path() / "bin";
        const std::filesystem::path data = installedDataFolder(bin);
        std::filesystem::create_directories(bin);
        std::filesystem::create_directories(data);
        if (c.beside) {
            writeFileBytes((bin / "gradient.jpg").string(), "jpeg");
        }
        if (c.installed) {
            writeFileBytes((data / "gradient.jpg").string(), "jpeg");
        }
        const std::filesystem::path expected = (c.expectInstalled ? data : bin) / "gradient.jpg";
        EXPECT_EQ(defaultGradientPathFor(bin), expected.string()) << c.what;
        EXPECT_TRUE(data.string().starts_with(prefix.path().string())) << "inside the prefix, whatever it is";
    }
}

}  // namespace
}  // namespace tessaform
