#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tessaform {

// A claim on one frame's image, so that runs sharing an output folder never
// render the same frame twice: a file beside the image, created exclusively,
// naming the host, the process (its PID and start time, which together
// cannot be reused) and when the claim was made. It is removed when the
// claim ends, whether the image was written or not.
class FrameClaim {
public:
    // Empty while another run holds the frame; a claim whose process is gone
    // (on this host), that is older than staleAfter, or that does not read as
    // a claim is taken over.
    static std::optional<FrameClaim> take(const std::string& imagePath, std::chrono::seconds staleAfter);

    // A run killed after writing an image, or before ending a claim on a
    // frame no later run takes on, leaves the claim; one that is stale goes.
    static void removeIfStale(const std::string& imagePath, std::chrono::seconds staleAfter);

    FrameClaim(FrameClaim&& other) noexcept : path_(std::move(other.path_)), owner_(std::move(other.owner_))
    {
        other.path_.clear();
    }
    FrameClaim& operator=(FrameClaim&&) = delete;
    ~FrameClaim();

    static std::string claimPathFor(const std::string& imagePath) { return imagePath + ".claim"; }

private:
    FrameClaim(std::string path, std::string owner) : path_(std::move(path)), owner_(std::move(owner)) {}

    std::string path_;
    // The claim's text as written, to tell it from a claim that replaced it.
    std::string owner_;
};

}  // namespace tessaform
