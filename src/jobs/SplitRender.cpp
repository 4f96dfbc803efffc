#include "jobs/SplitRender.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <optional>

#include "io/AtomicReplace.h"
#include "io/ImageOutput.h"
#include "io/TilePart.h"
#include "io/TilePartReadAhead.h"
#include "io/TilePartSet.h"
#include "jobs/FrameBuffer.h"
#include "jobs/ImageMetadata.h"
#include "render/BandRender.h"
#include "render/LateGridTracer.h"
#include "render/SimdTracer.h"
#include "render/TileAssembler.h"

namespace tessaform {
namespace {

const Gradient& tracedTable(const Gradient& gradient)
{
    return gradient.empty() ? neutralGradient() : gradient;
}

// A part file is closed however its writing ends, an exception included.
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

Failure writeFailure(const std::string& path, const std::string& reason)
{
    return Failure{"Could not write " + path + ": " + reason};
}

Result<void> writeBand(const TileRequest& request, SimdTarget target, const TilePartHeader& header, std::FILE* file,
                       const std::string& path, RenderObserver& observer)
{
    TilePartWriter writer(file, header);
    const SimdTracer tracer(request.params, tracedTable(*request.gradient), request.width, request.height, target);
    LateGridTracer late(tracer, request.width, request.firstRow, request.deep, [&](int, const BandRow& values) {
        writer.writeRow(values);
        return true;
    });
    const RenderOutcome outcome = renderBand(
        request.params, *request.gradient, request.width, request.height, request.firstRow, request.endRow, observer,
        request.threads, target, request.deep, [&](int, const BandRow& values) { return late.addRow(values); });
    if (outcome != RenderOutcome::Completed || !late.finish()) {
        return Failure{"Render interrupted; nothing written"};
    }
    if (const Result<void> finished = writer.finish(); !finished) {
        return writeFailure(path, finished.error());
    }
    return {};
}

// A part file that cannot be opened or read is named with the reason.
Result<TilePartHeader> openPart(const std::string& path, std::ifstream& in, TilePartReader& reader)
{
    in.open(path, std::ios::binary);
    if (!in) {
        return Failure{"Could not read " + path + ": " + std::strerror(errno)};
    }
    Result<TilePartHeader> header = reader.readHeader();
    if (!header) {
        return Failure{path + ": " + header.error()};
    }
    return header;
}

// Every header first, one file open at a time: a farm may leave thousands.
Result<std::vector<NamedTilePart>> orderedParts(const std::vector<std::string>& paths)
{
    std::vector<NamedTilePart> parts;
    for (const std::string& path : paths) {
        std::ifstream in;
        TilePartReader reader(in);
        Result<TilePartHeader> header = openPart(path, in, reader);
        if (!header) {
            return Failure{header.error()};
        }
        parts.push_back({path, std::move(header).value()});
    }
    if (Result<void> ordered = orderTileParts(parts); !ordered) {
        return Failure{ordered.error()};
    }
    return parts;
}

// The rare grids traced here must come from the same kernels as the parts'.
Result<SimdTarget> theirInstructionSet(const std::string& name)
{
    if (std::optional<SimdTarget> target = SimdTarget::named(name)) {
        return *target;
    }
    return Failure{"the parts were traced with " + name +
                   ", which this processor lacks; assemble them on a machine like the ones that rendered them"};
}

Result<void> feedRows(const NamedTilePart& part, TilePartReader& reader, TileAssembler& assembler,
                      const Result<void>& rowWritten)
{
    TilePartReadAhead rows(reader, part.header);
    for (int index = part.header.firstRow; index < part.header.endRow; ++index) {
        const Result<const TilePartRow*> row = rows.next();
        if (!row) {
            return Failure{part.path + ": " + row.error()};
        }
        if (!assembler.addRow((*row)->values())) {
            return rowWritten.ok() ? Failure{"Assembly interrupted; nothing written"} : rowWritten;
        }
    }
    return {};
}

// Feeds one part's rows to the assembler, then checks its checksum.
Result<void> feedPart(const NamedTilePart& part, TileAssembler& assembler, const Result<void>& rowWritten)
{
    std::ifstream in;
    TilePartReader reader(in);
    const Result<TilePartHeader> header = openPart(part.path, in, reader);
    if (!header) {
        return Failure{header.error()};
    }
    if (header->tile != part.header.tile || header->gradientHash != part.header.gradientHash ||
        header->deep != part.header.deep) {
        return Failure{part.path + ": changed while being assembled"};
    }
    if (Result<void> fed = feedRows(part, reader, assembler, rowWritten); !fed) {
        return fed;
    }
    if (const Result<void> finished = reader.finish(); !finished) {
        return Failure{part.path + ": " + finished.error()};
    }
    return {};
}

Result<void> assembleInto(ImageRowWriter& writer, const std::vector<NamedTilePart>& parts, SimdTarget target, bool deep,
                          RenderObserver& observer)
{
    const TilePartHeader& render = parts.front().header;
    const SimdTracer tracer(render.params, tracedTable(*render.gradient), render.width, render.height, target);
    Result<void> rowWritten;
    TileAssembler assembler(tracer, render.width, deep,
                            [&](int row, const std::uint32_t* pixels, const DeepPixel* values) {
                                rowWritten = writer.writeRow(pixels, values);
                                observer.rowFinished(RenderPass::AntiAlias, row, render.height);
                                return rowWritten.ok() && !observer.shouldAbandon(RenderPass::AntiAlias);
                            });
    for (const NamedTilePart& part : parts) {
        if (Result<void> fed = feedPart(part, assembler, rowWritten); !fed) {
            return fed;
        }
    }
    if (!assembler.finish()) {
        return rowWritten.ok() ? Failure{"Assembly interrupted; nothing written"} : rowWritten;
    }
    return {};
}

// The rename at the end replaces the output's own entry (a link itself, not
// what it points to), while a part is read through any link.
bool replacingOutputRemovesPart(const std::string& part, const std::string& output)
{
    struct stat read;
    struct stat replaced;
    return ::stat(part.c_str(), &read) == 0 && ::lstat(output.c_str(), &replaced) == 0 &&
           read.st_dev == replaced.st_dev && read.st_ino == replaced.st_ino;
}

// The image would take the place of a part it is made from, named by
// another path or a hard link too.
Result<void> checkOutputIsNoPart(const std::vector<std::string>& paths, const std::string& output)
{
    for (const std::string& path : paths) {
        if (replacingOutputRemovesPart(path, output)) {
            return Failure{"the output " + output + " is the part " + path + "; give the image another name"};
        }
    }
    return {};
}

}  // namespace

Result<void> renderTilePart(const TileRequest& request, const std::string& path, RenderObserver& observer)
{
    // The best instruction set, named in the part for its assembly.
    const SimdTarget target;
    const TilePartHeader header{
        request.width,  request.height, request.tile,   request.tiles,    request.firstRow,
        request.endRow, target.name(),  request.params, request.gradient, gradientHash(*request.gradient),
        request.deep};
    try {
        return replaceFileAtomically(path, [&](const std::string& temporaryPath) -> Result<void> {
            std::FILE* file = std::fopen(temporaryPath.c_str(), "wb");
            if (file == nullptr) {
                return Failure{"Could not create " + temporaryPath + ": " + std::strerror(errno)};
            }
            std::unique_ptr<std::FILE, FileClose> closed(file);
            const Result<void> written = writeBand(request, target, header, file, temporaryPath, observer);
            if (std::fclose(closed.release()) != 0 && written.ok()) {
                return writeFailure(temporaryPath, std::strerror(errno));
            }
            return written;
        });
    } catch (const std::bad_alloc&) {
        return Failure{notEnoughMemoryText(request.width, request.height)};
    }
}

Result<void> assembleTileParts(const std::vector<std::string>& paths, const std::string& output,
                               const ImageEncoding& encoding, RenderObserver& observer)
{
    const Result<std::vector<NamedTilePart>> parts = orderedParts(paths);
    if (!parts) {
        return Failure{parts.error()};
    }
    if (Result<void> distinct = checkOutputIsNoPart(paths, output); !distinct) {
        return distinct;
    }
    const ImageFormat& format = imageFormatFor(output);
    const bool deep = format.needsDeepRows != nullptr && format.needsDeepRows(encoding);
    if (deep) {
        if (Result<void> carried = checkPartsCarryFloatValues(*parts, output); !carried) {
            return carried;
        }
    }
    const TilePartHeader& render = parts->front().header;
    const Result<SimdTarget> target = theirInstructionSet(render.simdTarget);
    if (!target) {
        return Failure{target.error()};
    }
    try {
        return writeImageFileByRows(
            output, render.width, render.height, encoding, imageMetadata(render.params, *render.gradient),
            [&](ImageRowWriter& writer) { return assembleInto(writer, *parts, *target, deep, observer); });
    } catch (const std::bad_alloc&) {
        return Failure{notEnoughMemoryText(render.width, render.height)};
    }
}

}  // namespace tessaform
