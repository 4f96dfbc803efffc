#include "io/VideoWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "io/AtomicReplace.h"
#include "io/FfmpegHandles.h"

namespace tessaform {
namespace {

struct VideoCodec {
    const char* encoder;
    const char* name;
    int worstQuality;
    const char* options;
};

// x264's balanced preset; VP9 spreads the rows of each frame over threads,
// which it otherwise would not.
constexpr VideoCodec kH264{"libx264", "H.264", 51, "preset=medium"};
constexpr VideoCodec kVp9{"libvpx-vp9", "VP9", 63, "row-mt=1"};

struct Container {
    std::string_view extension;
    const char* muxer;
    const VideoCodec* codec;
    const char* options;
};

// An MP4's index goes to the front, so that playback can start before the
// whole file has arrived.
constexpr Container kContainers[] = {
    {".mp4", "mp4", &kH264, "movflags=+faststart"},
    {".mkv", "matroska", &kH264, ""},
    {".webm", "webm", &kVp9, ""},
};

// av_d2q's bound on numerator and denominator: exact for rates such as
// 30000/1001 or 23.976.
constexpr int kLargestRateTerm = 100000;

const Container* containerFor(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto* found = std::find_if(std::begin(kContainers), std::end(kContainers),
                                     [&](const Container& container) { return container.extension == extension; });
    return found != std::end(kContainers) ? found : nullptr;
}

// YUV 4:2:0 keeps one colour for each 2 x 2 block, so sides must be even.
// Growing an odd side by a repeated last column or row keeps every rendered
// pixel, where cropping would drop one, and still works for a side of 1.
int evenSide(int side)
{
    return side + side % 2;
}

Result<void> checkSettings(const VideoSettings& settings)
{
    const std::string prefix = "Could not write video " + settings.path + ": ";
    if (settings.width <= 0 || settings.height <= 0) {
        return Failure{prefix + "the frame size " + std::to_string(settings.width) + " x " +
                       std::to_string(settings.height) + " is empty"};
    }
    if (!std::isfinite(settings.fps) || settings.fps <= 0) {
        return Failure{prefix + "the frame rate must be above 0"};
    }
    if (containerFor(settings.path) == nullptr) {
        return Failure{prefix + "the name must end in .mp4, .mkv or .webm"};
    }
    return {};
}

}  // namespace

struct VideoWriter::Encoder {
    explicit Encoder(const VideoSettings& settings)
        : path(settings.path), width(settings.width), height(settings.height)
    {
    }

    std::string path;
    int width;
    int height;
    // Declared before the muxer, so that the muxer closes the file before an
    // uncommitted one is removed.
    std::optional<ReplacementFile> file;
    ffmpeg::OutputFormat output;
    ffmpeg::CodecContext codec;
    AVStream* stream = nullptr;
    ffmpeg::Frame frame;
    ffmpeg::Packet packet;
    ffmpeg::ScaleContext scale;
    // The frame at even size, filled only when a side is odd.
    std::vector<std::uint32_t> padded;
    std::int64_t nextPts = 0;

    Failure failure(int error) const
    {
        return Failure{"Could not write video " + path + ": " + ffmpeg::errorText(error)};
    }

    Result<void> start(const Container& container, const VideoSettings& settings);
    Result<void> createTemporaryFile();
    Result<void> allocateOutput(const Container& container);
    Result<void> openCodec(const Container& container, const VideoSettings& settings);
    Result<void> addStream();
    Result<void> prepareFrames();
    Result<void> createFile(const Container& container);
    void configure(const VideoSettings& settings);
    const std::uint32_t* evenSized(const std::uint32_t* pixels);
    int convert(const std::uint32_t* pixels);
    int encode(const AVFrame* picture);
};

// The film is written to a temporary file beside the target, which becomes
// the target only when finish has written the trailer: a failure or a kill
// leaves an existing film as it was.
Result<void> VideoWriter::Encoder::start(const Container& container, const VideoSettings& settings)
{
    Result<void> ready = createTemporaryFile();
    if (ready) {
        ready = allocateOutput(container);
    }
    if (ready) {
        ready = openCodec(container, settings);
    }
    if (ready) {
        ready = addStream();
    }
    if (ready) {
        ready = prepareFrames();
    }
    if (ready) {
        ready = createFile(container);
    }
    return ready;
}

Result<void> VideoWriter::Encoder::createTemporaryFile()
{
    Result<ReplacementFile> created = ReplacementFile::create(path);
    if (!created) {
        return Failure{created.error()};
    }
    file.emplace(std::move(created).value());
    return {};
}

// The muxer is named, so the temporary file's name need not end in the
// film's extension; an MP4's trailer reads the file back under that name.
Result<void> VideoWriter::Encoder::allocateOutput(const Container& container)
{
    AVFormatContext* context = nullptr;
    const int error = avformat_alloc_output_context2(&context, nullptr, container.muxer, file->path().c_str());
    output.reset(context);
    if (error < 0) {
        return failure(error);
    }
    return {};
}

void VideoWriter::Encoder::configure(const VideoSettings& settings)
{
    const AVRational rate = av_d2q(settings.fps, kLargestRateTerm);
    codec->width = evenSide(width);
    codec->height = evenSide(height);
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = av_inv_q(rate);
    codec->framerate = rate;
    // swscale converts with BT.601 coefficients into the limited range;
    // untagged, players may assume BT.709 for larger frames and shift hues.
    codec->colorspace = AVCOL_SPC_SMPTE170M;
    codec->color_range = AVCOL_RANGE_MPEG;
    // The quality level alone sets the rate (FFmpeg's default asks for 200 kbit/s).
    codec->bit_rate = 0;
    // As many threads as cores; FFmpeg's default is one.
    codec->thread_count = 0;
    if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
}

Result<void> VideoWriter::Encoder::openCodec(const Container& container, const VideoSettings& settings)
{
    const VideoCodec& kind = *container.codec;
    const AVCodec* encoder = avcodec_find_encoder_by_name(kind.encoder);
    if (encoder == nullptr) {
        return Failure{std::string("No ") + kind.name + " encoder in this FFmpeg to write " + path};
    }
    codec.reset(avcodec_alloc_context3(encoder));
    if (!codec) {
        return failure(AVERROR(ENOMEM));
    }
    configure(settings);
    ffmpeg::Options options(kind.options);
    options.set("crf", std::clamp(settings.quality, 0, kind.worstQuality));
    if (const int error = avcodec_open2(codec.get(), encoder, options.get()); error < 0) {
        return failure(error);
    }
    return {};
}

Result<void> VideoWriter::Encoder::addStream()
{
    stream = avformat_new_stream(output.get(), nullptr);
    if (stream == nullptr) {
        return failure(AVERROR(ENOMEM));
    }
    if (const int error = avcodec_parameters_from_context(stream->codecpar, codec.get()); error < 0) {
        return failure(error);
    }
    // The muxer may pick a finer time base when it writes the header.
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    return {};
}

Result<void> VideoWriter::Encoder::prepareFrames()
{
    frame.reset(av_frame_alloc());
    packet.reset(av_packet_alloc());
    // Same size in and out, so the filter only halves the chroma; accurate
    // rounding in place of swscale's faster approximations.
    scale.reset(sws_getContext(codec->width, codec->height, AV_PIX_FMT_0RGB32, codec->width, codec->height,
                               codec->pix_fmt, SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
    if (!frame || !packet || !scale) {
        return failure(AVERROR(ENOMEM));
    }
    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    if (const int error = av_frame_get_buffer(frame.get(), 0); error < 0) {
        return failure(error);
    }
    if (codec->width != width || codec->height != height) {
        padded.resize(static_cast<std::size_t>(codec->width) * codec->height);
    }
    return {};
}

Result<void> VideoWriter::Encoder::createFile(const Container& container)
{
    if (const int error = avio_open(&output->pb, file->path().c_str(), AVIO_FLAG_WRITE); error < 0) {
        return Failure{"Could not create " + path + ": " + ffmpeg::errorText(error)};
    }
    ffmpeg::Options options(container.options);
    if (const int error = avformat_write_header(output.get(), options.get()); error < 0) {
        return failure(error);
    }
    return {};
}

const std::uint32_t* VideoWriter::Encoder::evenSized(const std::uint32_t* pixels)
{
    if (padded.empty()) {
        return pixels;
    }
    const std::size_t paddedWidth = static_cast<std::size_t>(codec->width);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
        std::uint32_t* out = padded.data() + y * paddedWidth;
        std::copy(row, row + width, out);
        std::fill(out + width, out + paddedWidth, row[width - 1]);
    }
    if (codec->height != height) {
        const auto lastRow = padded.begin() + (height - 1) * paddedWidth;
        std::copy(lastRow, lastRow + paddedWidth, lastRow + paddedWidth);
    }
    return padded.data();
}

// Returns 0 or an AVERROR code.
int VideoWriter::Encoder::convert(const std::uint32_t* pixels)
{
    const auto* plane = reinterpret_cast<const std::uint8_t*>(evenSized(pixels));
    const int stride = codec->width * static_cast<int>(sizeof(std::uint32_t));
    const int rowsOrError = sws_scale(scale.get(), &plane, &stride, 0, codec->height, frame->data, frame->linesize);
    return std::min(rowsOrError, 0);
}

// Hands the encoder a picture, or nullptr to drain it, and muxes every packet
// it has ready. Returns 0 or an AVERROR code.
int VideoWriter::Encoder::encode(const AVFrame* picture)
{
    int result = avcodec_send_frame(codec.get(), picture);
    while (result >= 0) {
        result = avcodec_receive_packet(codec.get(), packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return 0;
        }
        if (result >= 0) {
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(output.get(), packet.get());
        }
    }
    return result;
}

bool namesVideo(const std::string& path)
{
    return containerFor(path) != nullptr;
}

std::vector<std::string> filmSaveFilters()
{
    std::vector<std::string> filters;
    for (const Container& container : kContainers) {
        std::string filter = "*";
        filter += container.extension;
        filters.push_back(std::move(filter));
    }
    return filters;
}

VideoWriter::VideoWriter(std::unique_ptr<Encoder> encoder) : encoder_(std::move(encoder)) {}

VideoWriter::~VideoWriter() = default;

Result<std::unique_ptr<VideoWriter>> VideoWriter::open(const VideoSettings& settings)
{
    // FFmpeg would log to stderr over the command line's progress; every
    // failure comes back in a Result instead.
    av_log_set_level(AV_LOG_QUIET);
    if (Result<void> valid = checkSettings(settings); !valid) {
        return Failure{valid.error()};
    }
    auto encoder = std::make_unique<Encoder>(settings);
    if (Result<void> started = encoder->start(*containerFor(settings.path), settings); !started) {
        return Failure{started.error()};
    }
    return std::unique_ptr<VideoWriter>(new VideoWriter(std::move(encoder)));
}

Result<void> VideoWriter::writeFrame(const std::uint32_t* pixels)
{
    Encoder& encoder = *encoder_;
    int error = av_frame_make_writable(encoder.frame.get());
    if (error >= 0) {
        error = encoder.convert(pixels);
    }
    if (error >= 0) {
        encoder.frame->pts = encoder.nextPts++;
        error = encoder.encode(encoder.frame.get());
    }
    if (error < 0) {
        return encoder.failure(error);
    }
    return {};
}

Result<void> VideoWriter::finish()
{
    Encoder& encoder = *encoder_;
    int error = encoder.encode(nullptr);
    if (error >= 0) {
        error = av_write_trailer(encoder.output.get());
    }
    if (error >= 0) {
        error = avio_closep(&encoder.output->pb);
    }
    if (error < 0) {
        return encoder.failure(error);
    }
    return encoder.file->commit();
}

}  // namespace tessaform
