#include "ResultLog.h"

#include <cmath>

namespace tessaform::bench {

double Measurement::counter(const std::string& name) const
{
    const auto found = counters.find(name);
    return found == counters.end() ? std::nan("") : found->second;
}

void ResultLog::recordRun(const std::string& name, const Measurement& measurement)
{
    auto [entry, inserted] = entries_.try_emplace(name, Entry{measurement, false});
    if (!inserted && !entry->second.median) {
        entry->second.measurement = measurement;
    }
}

void ResultLog::recordMedian(const std::string& name, const Measurement& measurement)
{
    entries_.insert_or_assign(name, Entry{measurement, true});
}

std::optional<Measurement> ResultLog::find(const std::string& name) const
{
    const auto found = entries_.find(name);
    if (found == entries_.end()) {
        return std::nullopt;
    }
    return found->second.measurement;
}

namespace {

Measurement measurementOf(const benchmark::BenchmarkReporter::Run& run)
{
    Measurement measurement{run.real_accumulated_time / static_cast<double>(run.iterations), {}};
    for (const auto& [name, counter] : run.counters) {
        measurement.counters[name] = counter.value;
    }
    return measurement;
}

}  // namespace

void RecordingReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.error_occurred || run.iterations == 0) {
            continue;
        }
        const std::string& name = run.run_name.function_name;
        if (run.run_type == Run::RT_Iteration) {
            log_.recordRun(name, measurementOf(run));
        } else if (run.aggregate_name == "median") {
            log_.recordMedian(name, measurementOf(run));
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

}  // namespace tessaform::bench
