#pragma once

#include <istream>
#include <string>

namespace tessaform::bench {

// What /proc/cpuinfo says about the machine.
struct Processor {
    std::string model;
    double megahertz;  // as reported, which is not necessarily the boost clock
    unsigned logicalCores;
};

// From /proc/cpuinfo, or from text in its format.
Processor describeProcessor();
Processor describeProcessor(std::istream& cpuinfo);

}  // namespace tessaform::bench
