#pragma once

#include <QIODevice>

#include <array>
#include <cstddef>

namespace tessaform {

// Reads a device in blocks, for following a file's structure to its end.
class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : device_(device) {}

    // The next byte, or -1 at the end or on a read error.
    int next()
    {
        if (at_ == end_) {
            const qint64 got = device_.read(buffer_.data(), static_cast<qint64>(buffer_.size()));
            if (got <= 0) {
                return -1;
            }
            at_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        return static_cast<uchar>(buffer_[at_++]);
    }

    bool skip(int count)
    {
        for (; count > 0; --count) {
            if (next() < 0) {
                return false;
            }
        }
        return count == 0;
    }

private:
    QIODevice& device_;
    std::array<char, 65536> buffer_{};
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

}  // namespace tessaform
