#include "image/JpegCompleteness.h"

#include "image/ByteReader.h"

namespace tessaform {
namespace {

constexpr int kJpegStartOfImage = 0xD8;
constexpr int kJpegEndOfImage = 0xD9;
constexpr int kJpegStartOfScan = 0xDA;

bool isJpegRestart(int code)
{
    return code >= 0xD0 && code <= 0xD7;
}

// The code of the next marker, or -1 at the end. Stray bytes before a marker
// and fill bytes are passed over, as the decoder does; inside scan data a
// zero after 0xFF is a stuffed byte and a restart marker belongs to the data.
int nextJpegMarker(ByteReader& in, bool inScanData)
{
    for (;;) {
        int byte = in.next();
        while (byte >= 0 && byte != 0xFF) {
            byte = in.next();
        }
        while (byte == 0xFF) {
            byte = in.next();
        }
        if (byte < 0 || !(inScanData && (byte == 0x00 || isJpegRestart(byte)))) {
            return byte;
        }
    }
}

}  // namespace

bool jpegReachesItsEnd(QIODevice& device)
{
    ByteReader in(device);
    if (in.next() != 0xFF || in.next() != kJpegStartOfImage) {
        return false;
    }
    int code = nextJpegMarker(in, false);
    while (code >= 0 && code != kJpegEndOfImage) {
        const bool hasLength = code != 0x01 && code != kJpegStartOfImage && !isJpegRestart(code);
        if (hasLength) {
            const int high = in.next();
            const int low = in.next();
            if (low < 0 || !in.skip((high << 8 | low) - 2)) {
                return false;
            }
        }
        code = nextJpegMarker(in, code == kJpegStartOfScan);
    }
    return code == kJpegEndOfImage;
}

}  // namespace tessaform
