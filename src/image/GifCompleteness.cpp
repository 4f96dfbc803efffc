#include "image/GifCompleteness.h"

#include "image/ByteReader.h"

namespace tessaform {
namespace {

int nextGifWord(ByteReader& in)
{
    const int low = in.next();
    const int high = in.next();
    return high < 0 ? -1 : high << 8 | low;
}

int gifColourTableBytes(int flags)
{
    constexpr int kHasColourTable = 0x80;
    return (flags & kHasColourTable) != 0 ? 3 * (2 << (flags & 7)) : 0;
}

// Extensions and image data come as sub-blocks ended by an empty one.
bool skipGifSubBlocks(ByteReader& in)
{
    for (int size = in.next(); size != 0; size = in.next()) {
        if (size < 0 || !in.skip(size)) {
            return false;
        }
    }
    return true;
}

// The decoder clears the screen around a first frame that does not cover
// it, but with a colour from that frame's own colour table before it has
// read the table, which would put stray memory into the top row. A frame
// whose data is cut short would leave part of the row made up.
bool gifFrameIsUsable(ByteReader& in, int screenWidth, int screenHeight)
{
    const int left = nextGifWord(in);
    const int top = nextGifWord(in);
    const int width = nextGifWord(in);
    const int height = nextGifWord(in);
    const int flags = in.next();
    if (flags < 0) {
        return false;
    }
    const bool coversScreen = left == 0 && top == 0 && width >= screenWidth && height >= screenHeight;
    const int colourTableBytes = gifColourTableBytes(flags);
    constexpr int kLzwCodeSizeBytes = 1;
    return (coversScreen || colourTableBytes == 0) && in.skip(colourTableBytes + kLzwCodeSizeBytes) &&
           skipGifSubBlocks(in);
}

}  // namespace

// Follows the file's blocks from the start to its first frame.
bool gifFirstFrameIsUsable(QIODevice& device)
{
    constexpr int kSignatureBytes = 6;
    constexpr int kExtension = 0x21;
    constexpr int kImage = 0x2C;
    ByteReader in(device);
    if (!in.skip(kSignatureBytes)) {
        return false;
    }
    const int screenWidth = nextGifWord(in);
    const int screenHeight = nextGifWord(in);
    const int screenFlags = in.next();
    constexpr int kBackgroundAndAspectBytes = 2;
    if (screenWidth < 0 || screenHeight < 0 || screenFlags < 0 ||
        !in.skip(kBackgroundAndAspectBytes + gifColourTableBytes(screenFlags))) {
        return false;
    }
    for (;;) {
        const int introducer = in.next();
        if (introducer == kImage) {
            return gifFrameIsUsable(in, screenWidth, screenHeight);
        }
        const int label = introducer == kExtension ? in.next() : -1;
        if (label < 0 || !skipGifSubBlocks(in)) {
            return false;
        }
    }
}

}  // namespace tessaform
