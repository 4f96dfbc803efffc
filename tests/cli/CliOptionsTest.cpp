#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "jobs/ProgramTitle.h"
#include "params/FractalParams.h"
#include "params/ParamFields.h"

namespace tessaform {
namespace {

ParsedCommandLine parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "tessaform-render");
    return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

bool refused(std::vector<const char*> arguments)
{
    return !parse(std::move(arguments)).options;
}

TEST(CliOptions, DefaultsMatchTheProgramsOwn)
{
    const CliOptions options = *parse({}).options;
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
    EXPECT_EQ(options.outputFile, "Julia.tga");
    EXPECT_TRUE(options.render);
    EXPECT_FALSE(options.gradientFile);
}

TEST(CliOptions, RefusesWhatCannotBeRendered)
{
    EXPECT_TRUE(refused({"--bogus"}));
    EXPECT_TRUE(refused({"-W", "0"}));
    EXPECT_TRUE(refused({"-H", "65536"}));
    EXPECT_TRUE(refused({"-W", "wide"}));
    EXPECT_TRUE(refused({"--set", "colour=1"}));
    EXPECT_TRUE(refused({"--set", "distance"}));
    EXPECT_TRUE(refused({"--set", "distance=far"}));
    EXPECT_TRUE(refused({"--set", "distance=1,5"}));
    EXPECT_TRUE(refused({"--set", "iterations=1.5"}));
    EXPECT_TRUE(refused({"--set", "iterations=99999999999"}));
    EXPECT_TRUE(refused({"--set", "power=1"}));
    EXPECT_TRUE(refused({"--set", "power=6"}));
    EXPECT_FALSE(refused({"-W", "65535", "-H", "1"}));
}

// A frame rate the film's encoders cannot take is refused with the range in
// short numbers, before any file is read.
TEST(CliOptions, FrameRatesOutsideTheFilmRangeAreRefused)
{
    for (const char* fps : {"nan", "inf", "1e300", "1e-300", "1e-5", "0", "-30", "1000.5", "30x"}) {
        const ParsedCommandLine parsed = parse({"--animation", "a.toml", "--fps", fps});
        ASSERT_FALSE(parsed.options) << fps;
        EXPECT_EQ(parsed.options.error(), std::string("--fps: must be a number from 0.001 to 1000, not ") + fps);
    }
    for (const char* fps : {"0.001", "29.97", "1000"}) {
        EXPECT_FALSE(refused({"--animation", "a.toml", "--fps", fps})) << fps;
    }
}

// A NaN is read as the keyframe and PNG readers read it: with its bits, or
// as TOML's plain nan and -nan.
TEST(CliOptions, NanValuesKeepTheirBits)
{
    const struct {
        const char* text;
        std::uint32_t bits;
    } accepted[] = {{"phi=nan(0x7fc01234)", 0x7FC01234u},
                    {"phi=nan(0xffc00000)", 0xFFC00000u},
                    {"phi=nan(0x7f800001)", 0x7F800001u},
                    {"phi=nan", 0x7FC00000u},
                    {"phi=-nan", 0xFFC00000u}};
    for (const auto& [text, bits] : accepted) {
        const ParsedCommandLine parsed = parse({"--set", text});
        ASSERT_TRUE(parsed.options) << text << ": " << parsed.options.error();
        FractalParams params = defaultParams();
        applyFieldAssignment(params, parsed.options->assignments.front());
        EXPECT_EQ(std::bit_cast<std::uint32_t>(params.phi), bits) << text;
    }
    for (const char* text : {"phi=NaN", "phi=NAN(0x7fc01234)", "phi=nan(abc)", "phi=nan(0x7fc0123)", "phi=nan(0x1)",
                             "phi=-nan(0x7fc01234)", "phi=nan(0x3f800000)"}) {
        EXPECT_TRUE(refused({"--set", text})) << text;
    }
}

TEST(CliOptions, AssignmentsKeepTheirOrderAndUnits)
{
    const CliOptions options = *parse({"--set", "theta=0.5", "--set", "power=5", "--set", "theta=-1e-3", "--set",
                                       "shadow=0.7", "--set", "occlusionRadius=0.25"})
                                    .options;
    FractalParams params = defaultParams();
    for (const FieldAssignment& assignment : options.assignments) {
        applyFieldAssignment(params, assignment);
    }
    EXPECT_EQ(params.theta, -1e-3f);
    EXPECT_EQ(params.power, 5);
    EXPECT_EQ(params.shadow, 0.7f);
    EXPECT_EQ(params.occlusionRadius, 0.25f);
}

TEST(CliOptions, SavingParametersAloneRendersNothing)
{
    EXPECT_FALSE(parse({"--save-params", "a.j4d"}).options->render);
    EXPECT_TRUE(parse({"--save-params", "a.j4d", "-o", "b.tga"}).options->render);
}

TEST(CliOptions, EngineAndThreadCount)
{
    const CliOptions defaults = *parse({}).options;
    EXPECT_EQ(defaults.engine.engine, RenderEngine::Fast);
    EXPECT_EQ(defaults.engine.threads, 0u);
    const CliOptions reference = *parse({"--engine", "reference", "-j", "3"}).options;
    EXPECT_EQ(reference.engine.engine, RenderEngine::Reference);
    EXPECT_EQ(reference.engine.threads, 3u);
    const CliOptions fast = *parse({"--threads", "1", "--engine", "fast"}).options;
    EXPECT_EQ(fast.engine.engine, RenderEngine::Fast);
    EXPECT_EQ(fast.engine.threads, 1u);
    EXPECT_TRUE(refused({"--engine", "turbo"}));
    EXPECT_TRUE(refused({"--engine"}));
    EXPECT_TRUE(refused({"-j", "two"}));
    EXPECT_TRUE(refused({"-j", "-1"}));
}

TEST(CliOptions, ATileGoesToItsNumberedPartFile)
{
    EXPECT_EQ(parse({"--tile", "3/7"}).options->outputFile, "part_3.tfpart");
    EXPECT_EQ(parse({"--tile", "12/40", "-o", "p/poster_%03d.tfpart"}).options->outputFile, "p/poster_012.tfpart");
    EXPECT_EQ(parse({"--tile", "2/2", "-o", "b.tfpart"}).options->tile->index, 2);
    EXPECT_TRUE(refused({"--tile", "3/7", "-o", "a.png"}));
    EXPECT_TRUE(refused({"--tile", "3/7", "-o", "a.tfpart", "-o", "b.tfpart"}));
    EXPECT_TRUE(refused({"--tile", "0/7"}));
    EXPECT_TRUE(refused({"--tile", "5/5", "-H", "4"}));
    EXPECT_TRUE(refused({"--tile", "1/2", "--engine", "reference"}));
    EXPECT_TRUE(refused({"--tile", "1/2", "--animation", "film.toml"}));
    EXPECT_TRUE(parse({"--tile", "1/2", "--deep"}).options->deep);
    EXPECT_FALSE(parse({"--tile", "1/2"}).options->deep);
    EXPECT_TRUE(refused({"--deep"}));
    EXPECT_TRUE(refused({"--deep", "--animation", "film.toml"}));
}

TEST(CliOptions, HelpIsNotAnError)
{
    const ParsedCommandLine parsed = parse({"--help"});
    ASSERT_TRUE(parsed.textToPrint);
    EXPECT_NE(parsed.textToPrint->find("--save-params"), std::string::npos);
    // The manual page and the shell completion take the names from here.
    for (const ParamField& field : paramFields()) {
        EXPECT_NE(parsed.textToPrint->find(std::string(field.name)), std::string::npos) << field.name;
    }
}

TEST(CliOptions, VersionIsPrintedInsteadOfRendering)
{
    const ParsedCommandLine parsed = parse({"--version"});
    ASSERT_TRUE(parsed.textToPrint);
    EXPECT_EQ(*parsed.textToPrint, "tessaform-render (Tessaform " + std::string(programVersion()) + ")\n");
}

// Each output keeps what its format can hold; anything else is refused in
// one line before a file is read.
TEST(CliOptions, BitDepthAndAlphaFitTheOutputsFormat)
{
    const struct {
        std::vector<const char*> arguments;
        ImageEncoding encoding;
        const char* refusal;
    } cases[] = {
        {{"-o", "a.png"}, {8, false}, nullptr},
        {{"-o", "a.png", "--bit-depth", "16", "--alpha"}, {16, true}, nullptr},
        {{"-o", "a.png", "--alpha"}, {8, true}, nullptr},
        {{"-o", "a.tga", "--bit-depth", "8"}, {8, false}, nullptr},
        {{"-o", "a.exr"}, {16, true}, nullptr},
        {{"-o", "a.exr", "--alpha"}, {16, true}, nullptr},
        {{"-o", "a.tga", "--bit-depth", "16"}, {}, "--bit-depth 16 needs a .png output"},
        {{"--bit-depth", "16"}, {}, "--bit-depth 16 needs a .png output"},
        {{"-o", "a.exr", "--bit-depth", "16"}, {}, "--bit-depth 16 needs a .png output"},
        {{"-o", "a.exr", "--bit-depth", "8"}, {}, "--bit-depth 8 needs a .tga or .png output"},
        {{"-o", "a.tga", "--alpha"}, {}, "--alpha needs a .png or .exr output"},
        {{"-o", "a.png", "--bit-depth", "12"}, {}, "--bit-depth: 12 not in {8,16}"},
        {{"--tile", "1/2", "--alpha"},
         {},
         "--bit-depth and --alpha choose an image's encoding; a tile is written to a part file"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parse(c.arguments);
        const std::string shown = c.arguments.back();
        if (c.refusal == nullptr) {
            ASSERT_TRUE(parsed.options) << shown << ": " << parsed.options.error();
            EXPECT_EQ(parsed.options->encoding, c.encoding) << shown;
        } else {
            ASSERT_FALSE(parsed.options) << shown;
            EXPECT_EQ(parsed.options.error(), c.refusal);
        }
    }
}

}  // namespace
}  // namespace tessaform
