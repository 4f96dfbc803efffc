#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaform::bench {

// One benchmark's figures: the median over repetitions where there were
// several, otherwise the only run.
struct Measurement {
    double seconds;  // wall time per iteration
    std::map<std::string, double> counters;

    double counter(const std::string& name) const;
};

// What the run measured, by the name each benchmark was registered under.
class ResultLog {
public:
    void recordRun(const std::string& name, const Measurement& measurement);
    void recordMedian(const std::string& name, const Measurement& measurement);
    std::optional<Measurement> find(const std::string& name) const;
    bool empty() const { return entries_.empty(); }

private:
    struct Entry {
        Measurement measurement;
        bool median;
    };
    std::map<std::string, Entry> entries_;
};

// Prints what the console reporter prints and keeps every result in the
// log, so that the summary can relate benchmarks to each other.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    explicit RecordingReporter(ResultLog& log) : log_(log) {}

    void ReportRuns(const std::vector<Run>& runs) override;

private:
    ResultLog& log_;
};

}  // namespace tessaform::bench
