#include "ProcessorInfo.h"

#include <cstdlib>
#include <fstream>
#include <thread>

namespace tessaform::bench {
namespace {

// The value of a "key : value" line of /proc/cpuinfo, or "" for another key.
std::string valueOf(const std::string& line, const std::string& key)
{
    if (line.rfind(key, 0) != 0) {
        return {};
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line.find_first_not_of(" \t", key.size()) != colon) {
        return {};
    }
    const std::size_t start = line.find_first_not_of(' ', colon + 1);
    return start == std::string::npos ? std::string{} : line.substr(start);
}

}  // namespace

Processor describeProcessor()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    return describeProcessor(cpuinfo);
}

Processor describeProcessor(std::istream& cpuinfo)
{
    Processor processor{"unknown", 0.0, std::thread::hardware_concurrency()};
    bool modelFound = false;
    bool clockFound = false;
    std::string line;
    // The first processor's lines describe them all.
    while (!(modelFound && clockFound) && std::getline(cpuinfo, line)) {
        if (const std::string model = valueOf(line, "model name"); !model.empty() && !modelFound) {
            processor.model = model;
            modelFound = true;
        } else if (const std::string mhz = valueOf(line, "cpu MHz"); !mhz.empty() && !clockFound) {
            processor.megahertz = std::strtod(mhz.c_str(), nullptr);
            clockFound = true;
        }
    }
    return processor;
}

}  // namespace tessaform::bench
