#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "ImageArchive.h"
#include "ProcessorInfo.h"
#include "ResultLog.h"
#include "Summary.h"
#include "WorkCensus.h"
#include "render/AntiAliasGrid.h"

namespace tessaform::bench {
namespace {

struct CensusCase {
    const char* name;
    int power;
    float angle;  // radians about (0.3, 0.5, 0.8); 0 leaves the rotation off
    float lateralShift;
    bool seesFractal;
};

void PrintTo(const CensusCase& census, std::ostream* out)
{
    *out << census.name;
}

class CensusAgreementTest : public testing::TestWithParam<CensusCase> {};

// The census stands in for the engine's own work, so it must follow the
// reference engine sample for sample, for every power and with the
// rotation; small images keep this quick.
TEST_P(CensusAgreementTest, AgreesWithReferenceEngine)
{
    FractalParams params = defaultParams();
    params.power = GetParam().power;
    params.direction = {0.3f, 0.5f, 0.8f};
    params.angle = GetParam().angle;
    params.lateralShift = GetParam().lateralShift;
    const SceneCensus census = takeSceneCensus({GetParam().name, params, 64, 48});
    const WorkCensus& work = census.work;

    EXPECT_TRUE(census.replayReproducedImage);
    EXPECT_EQ(census.reference.samples, work.samples);
    EXPECT_EQ(census.reference.antiAliasedPixels, work.antiAliasedPixels);
    EXPECT_EQ(GetParam().seesFractal, work.hits > 0);
    EXPECT_EQ(GetParam().seesFractal, work.antiAliasedPixels > 0);
    EXPECT_LE(work.hits, work.samples);
    const auto cap = static_cast<std::uint64_t>(params.iterations);
    EXPECT_LE(work.escapeSteps, work.marchSteps * cap);
    EXPECT_GE(work.escapeSteps, work.marchSteps) << "every estimate takes at least one step";
    EXPECT_LE(work.normalSteps, 3 * work.hits * cap);
    EXPECT_EQ(0u, work.normalSteps % 3);
}

INSTANTIATE_TEST_SUITE_P(Scenes, CensusAgreementTest,
                         testing::Values(CensusCase{"Default", 2, 0.0f, -0.15f, true},
                                         CensusCase{"Power3Rotated", 3, 0.7f, -0.15f, true},
                                         CensusCase{"Power5Rotated", 5, 0.7f, -0.15f, true},
                                         CensusCase{"LookingPastTheSphere", 2, 0.0f, 40.0f, false}),
                         [](const testing::TestParamInfo<CensusCase>& info) { return info.param.name; });

TEST(WorkCensusCountTest, RaysMissingTheSphereCostNothing)
{
    FractalParams params = defaultParams();
    params.lateralShift = 40.0f;
    const WorkCensus work = countWork(params, 16, 12, {{5, 5}});
    EXPECT_EQ(16u * 12u + kGridSamples, work.samples);
    EXPECT_EQ(0u, work.marchSteps);
    EXPECT_EQ(0u, work.juliaSteps());
}

TEST(EdgeReplayTest, TestsPixelsAgainstAlreadySmoothedLeftNeighbours)
{
    // Blue 0x40 is a squared distance of 4096 from black: an edge. The
    // black pixel's right neighbour is an edge against the black first-pass
    // value, but no longer once the black pixel is smoothed.
    constexpr std::uint32_t kBlue = 0x40;
    std::vector<std::uint32_t> firstPass = {kBlue, kBlue, kBlue, kBlue,  //
                                            kBlue, 0,     kBlue, kBlue,  //
                                            kBlue, kBlue, kBlue, kBlue};
    std::vector<std::uint32_t> finished = firstPass;
    finished[5] = kBlue;
    const PixelImage firstPassImage{firstPass.data(), 4, 3};
    const PixelImage finishedImage{finished.data(), 4, 3};

    const std::vector<PixelPosition> smoothed = smoothedPixels(firstPassImage, finishedImage);

    ASSERT_EQ(1u, smoothed.size());
    EXPECT_EQ(1, smoothed[0].column);
    EXPECT_EQ(1, smoothed[0].row);
    EXPECT_EQ(finished, firstPass);
}

TEST(EdgeReplayTest, BordersAreNeverSmoothed)
{
    std::vector<std::uint32_t> firstPass = {0xFFFFFF, 0, 0xFFFFFF,  //
                                            0,        0, 0,         //
                                            0xFFFFFF, 0, 0xFFFFFF};
    std::vector<std::uint32_t> finished = firstPass;
    EXPECT_TRUE(smoothedPixels({firstPass.data(), 3, 3}, {finished.data(), 3, 3}).empty());
}

benchmark::BenchmarkReporter::Run run(const std::string& name, double seconds, std::int64_t iterations)
{
    benchmark::BenchmarkReporter::Run run;
    run.run_name.function_name = name;
    run.iterations = iterations;
    run.real_accumulated_time = seconds * static_cast<double>(iterations);
    return run;
}

benchmark::BenchmarkReporter::Run aggregate(const std::string& name, const std::string& kind, double seconds)
{
    benchmark::BenchmarkReporter::Run result = run(name, seconds, 4);
    result.run_type = benchmark::BenchmarkReporter::Run::RT_Aggregate;
    result.aggregate_name = kind;
    return result;
}

class RecordingReporterTest : public testing::Test {
protected:
    RecordingReporterTest() { reporter_.SetOutputStream(&printed_); }

    void report(const std::vector<benchmark::BenchmarkReporter::Run>& runs) { reporter_.ReportRuns(runs); }

    std::ostringstream printed_;
    ResultLog log_;
    RecordingReporter reporter_{log_};
};

TEST_F(RecordingReporterTest, KeepsTheMedianOverMeanSpreadAndSingleRuns)
{
    report({run("fast", 0.30, 4), run("fast", 0.50, 4)});
    report({aggregate("fast", "mean", 0.40), aggregate("fast", "median", 0.35), aggregate("fast", "stddev", 0.1)});
    report({run("fast", 0.90, 4)});

    ASSERT_TRUE(log_.find("fast"));
    EXPECT_DOUBLE_EQ(0.35, log_.find("fast")->seconds);
    EXPECT_NE(std::string::npos, printed_.str().find("fast")) << "the console output must go on";
}

TEST_F(RecordingReporterTest, SingleRunGivesTimePerIterationAndCounters)
{
    benchmark::BenchmarkReporter::Run reference = run("reference", 7.5, 1);
    reference.counters["samples"] = 1234.0;
    benchmark::BenchmarkReporter::Run failed = run("broken", 1.0, 1);
    failed.error_occurred = true;
    report({reference, failed, run("unfinished", 0.0, 0)});

    ASSERT_TRUE(log_.find("reference"));
    EXPECT_DOUBLE_EQ(7.5, log_.find("reference")->seconds);
    EXPECT_DOUBLE_EQ(1234.0, log_.find("reference")->counter("samples"));
    EXPECT_TRUE(std::isnan(log_.find("reference")->counter("absent")));
    EXPECT_FALSE(log_.find("broken"));
    EXPECT_FALSE(log_.find("unfinished"));
}

TEST(ImageArchiveTest, ComparesImagesAndCountsChangesBetweenRenders)
{
    const std::vector<std::uint32_t> base = {0x102030, 0x405060, 0x708090};
    EXPECT_EQ(0u, compareImages(base, base).pixels);

    const std::vector<std::uint32_t> changed = {0x102030, 0x405061, 0x6F8090};
    const ImageDifference difference = compareImages(base, changed);
    EXPECT_EQ(2u, difference.pixels);
    EXPECT_EQ(1, difference.largestChannelChange);
    EXPECT_EQ(3u, compareImages(base, {0x102030}).pixels) << "a size mismatch differs everywhere";

    ImageArchive archive;
    archive.keep("fast", base);
    archive.keep("fast", base);
    EXPECT_EQ(0, archive.changes("fast"));
    archive.keep("fast", changed);
    EXPECT_EQ(1, archive.changes("fast"));
    EXPECT_EQ(changed, *archive.find("fast"));
    EXPECT_EQ(nullptr, archive.find("slow"));
}

TEST(ProcessorInfoTest, ReadsFirstProcessorOfCpuinfo)
{
    std::istringstream cpuinfo(
        "processor\t: 0\nmodel\t\t: 2\nmodel name\t: AMD EPYC 9R45\ncpu MHz\t\t: 2596.124\n"
        "processor\t: 1\nmodel name\t: other\ncpu MHz\t\t: 3000.000\n");
    const Processor processor = describeProcessor(cpuinfo);
    EXPECT_EQ("AMD EPYC 9R45", processor.model);
    EXPECT_DOUBLE_EQ(2596.124, processor.megahertz);
}

// Ratios the wrong way round or a peak off by a factor would go unnoticed
// in a table nobody checks by hand.
TEST(SummaryTest, RelatesTimesToEachOtherAndToThePeak)
{
    ResultLog results;
    results.recordMedian("scene/default_1024x768/reference", {8.0, {}});
    results.recordMedian("scene/default_1024x768/fast", {0.5, {}});
    ImageArchive images;
    SceneCensus census{};
    census.work.escapeSteps = 900'000'000;
    census.work.normalSteps = 100'000'000;
    std::ostringstream out;

    const MeasuredPeak peak{"AVX2", 8, 2, 32.0, 64.0};
    printSummary(out, {results, images, census, peak, Processor{"test", 1000.0, 2}, "AVX2"});

    const std::string text = out.str();
    EXPECT_NE(std::string::npos, text.find("16.0x")) << text;
    // 1e9 steps x 20 flop / 0.5 s = 40 GFLOP/s of the 64 measured on all threads.
    EXPECT_NE(std::string::npos, text.find("40.0 GFLOP/s of a measured peak of 64.0 GFLOP/s (62.5%)")) << text;
    EXPECT_NE(std::string::npos, text.find(">= 50x            16.0x  MISSED")) << text;
    EXPECT_NE(std::string::npos, text.find(">= 45%            62.5%  met")) << text;
    EXPECT_NE(std::string::npos, text.find("DISAGREES")) << "an empty census cannot match a render";
}

}  // namespace
}  // namespace tessaform::bench
