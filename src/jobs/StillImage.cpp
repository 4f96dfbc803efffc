#include "jobs/StillImage.h"

#include <new>

#include "io/ImageOutput.h"
#include "jobs/FrameBuffer.h"
#include "jobs/ImageMetadata.h"

namespace tessaform {
namespace {

// Each row goes to the file as soon as it is final. outcome tells how the
// render ended when no row failed to be written.
Result<void> renderInto(ImageRowWriter& writer, const StillImage& image, const FractalParams& params,
                        const Gradient& gradient, const RenderSettings& settings, RenderObserver& observer,
                        const RowConsumer& alsoTake, RenderOutcome& outcome)
{
    Result<void> rowWritten;
    const auto write = [&](int row, const std::uint32_t* pixels, const DeepPixel* deep) {
        rowWritten = writer.writeRow(pixels, deep);
        return rowWritten.ok() && (!alsoTake || alsoTake(row, pixels));
    };
    const RenderOutcome rendered =
        imageFormatFor(image.fileName).rowsNeedDeepValues(image.encoding)
            ? renderDeepRows(
                  params, gradient, image.width, image.height, observer, settings,
                  [&](int row, const std::uint32_t* pixels, const DeepPixel* deep) { return write(row, pixels, deep); })
            : renderRows(params, gradient, image.width, image.height, observer, settings,
                         [&](int row, const std::uint32_t* pixels) { return write(row, pixels, nullptr); });
    if (!rowWritten) {
        return rowWritten;
    }
    outcome = rendered;
    if (outcome != RenderOutcome::Completed) {
        return Failure{"the render did not complete"};
    }
    return {};
}

}  // namespace

Result<RenderOutcome> renderStillImage(const StillImage& image, const FractalParams& params, const Gradient& gradient,
                                       const RenderSettings& settings, RenderObserver& observer,
                                       const RowConsumer& alsoTake)
{
    RenderOutcome outcome = RenderOutcome::Completed;
    Result<void> written;
    // The image's temporary file goes with the exception when memory runs out.
    try {
        written = writeImageFileByRows(image.fileName, image.width, image.height, image.encoding,
                                       imageMetadata(params, gradient), [&](ImageRowWriter& writer) {
                                           return renderInto(writer, image, params, gradient, settings, observer,
                                                             alsoTake, outcome);
                                       });
    } catch (const std::bad_alloc&) {
        return Failure{notEnoughMemoryText(image.width, image.height)};
    }
    if (outcome != RenderOutcome::Completed) {
        return outcome;
    }
    if (!written) {
        return Failure{written.error()};
    }
    return RenderOutcome::Completed;
}

}  // namespace tessaform
