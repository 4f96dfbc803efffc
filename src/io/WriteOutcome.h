#pragma once

#include <string>

namespace tessaform {

// The result of writing a file: empty error text on success.
struct WriteOutcome {
    std::string error;

    bool ok() const { return error.empty(); }
};

}  // namespace tessaform
