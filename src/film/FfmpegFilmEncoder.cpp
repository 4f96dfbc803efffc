#include <algorithm>
#include <cmath>
#include <vector>

#include "film/FfmpegHandles.h"
#include "film/FilmEncoder.h"

namespace tessaform {
namespace {

// av_d2q's bound on numerator and denominator: exact for rates such as
// 30000/1001 or 23.976.
constexpr int kLargestRateTerm = 100000;

// YUV 4:2:0 keeps one colour for each 2 x 2 block, so sides must be even.
// Growing an odd side by a repeated last column or row keeps every rendered
// pixel, where cropping would drop one, and still works for a side of 1.
int evenSide(int side)
{
    return side + side % 2;
}

class FfmpegFilmEncoder final : public FilmEncoder {
public:
    explicit FfmpegFilmEncoder(const FilmEncoding& encoding)
        : target_(encoding.target), width_(encoding.width), height_(encoding.height)
    {
    }

    Result<void> start(const FilmEncoding& encoding);
    Result<void> writeFrame(const std::uint32_t* pixels) override;
    Result<void> finish() override;

private:
    Failure failure(int error) const
    {
        return Failure{"Could not write video " + target_ + ": " + ffmpeg::errorText(error)};
    }

    Result<void> allocateOutput(const FilmEncoding& encoding);
    Result<void> openCodec(const FilmEncoding& encoding);
    Result<void> addStream();
    Result<void> prepareFrames();
    Result<void> createFile(const FilmEncoding& encoding);
    void configure(const FilmEncoding& encoding);
    const std::uint32_t* evenSized(const std::uint32_t* pixels);
    int convert(const std::uint32_t* pixels);
    int encode(const AVFrame* picture);

    std::string target_;
    int width_;
    int height_;
    ffmpeg::OutputFormat output_;
    ffmpeg::CodecContext codec_;
    AVStream* stream_ = nullptr;
    ffmpeg::Frame frame_;
    ffmpeg::Packet packet_;
    ffmpeg::ScaleContext scale_;
    // The frame at even size, filled only when a side is odd.
    std::vector<std::uint32_t> padded_;
    std::int64_t nextPts_ = 0;
};

Result<void> FfmpegFilmEncoder::start(const FilmEncoding& encoding)
{
    Result<void> ready = allocateOutput(encoding);
    if (ready) {
        ready = openCodec(encoding);
    }
    if (ready) {
        ready = addStream();
    }
    if (ready) {
        ready = prepareFrames();
    }
    if (ready) {
        ready = createFile(encoding);
    }
    return ready;
}

// The muxer is named, so the file's name need not end in the film's
// extension; an MP4's trailer reads the file back under that name.
Result<void> FfmpegFilmEncoder::allocateOutput(const FilmEncoding& encoding)
{
    AVFormatContext* context = nullptr;
    const int error =
        avformat_alloc_output_context2(&context, nullptr, encoding.container->muxer, encoding.file.c_str());
    output_.reset(context);
    if (error < 0) {
        return failure(error);
    }
    return {};
}

void FfmpegFilmEncoder::configure(const FilmEncoding& encoding)
{
    const AVRational rate = av_d2q(encoding.fps, kLargestRateTerm);
    codec_->width = evenSide(width_);
    codec_->height = evenSide(height_);
    codec_->pix_fmt = AV_PIX_FMT_YUV420P;
    codec_->time_base = av_inv_q(rate);
    codec_->framerate = rate;
    // swscale converts with BT.601 coefficients into the limited range;
    // untagged, players may assume BT.709 for larger frames and shift hues.
    codec_->colorspace = AVCOL_SPC_SMPTE170M;
    codec_->color_range = AVCOL_RANGE_MPEG;
    // The quality level alone sets the rate (FFmpeg's default asks for 200 kbit/s).
    codec_->bit_rate = 0;
    // As many threads as cores; FFmpeg's default is one.
    codec_->thread_count = 0;
    if ((output_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
}

Result<void> FfmpegFilmEncoder::openCodec(const FilmEncoding& encoding)
{
    const VideoCodec& kind = *encoding.container->codec;
    const AVCodec* encoder = avcodec_find_encoder_by_name(kind.encoder);
    if (encoder == nullptr) {
        return Failure{std::string("No ") + kind.name + " encoder in this FFmpeg to write " + target_};
    }
    codec_.reset(avcodec_alloc_context3(encoder));
    if (!codec_) {
        return failure(AVERROR(ENOMEM));
    }
    configure(encoding);
    ffmpeg::Options options(kind.options);
    options.set("crf", std::clamp(encoding.quality, 0, kind.worstQuality));
    if (const int error = avcodec_open2(codec_.get(), encoder, options.get()); error < 0) {
        return failure(error);
    }
    return {};
}

Result<void> FfmpegFilmEncoder::addStream()
{
    stream_ = avformat_new_stream(output_.get(), nullptr);
    if (stream_ == nullptr) {
        return failure(AVERROR(ENOMEM));
    }
    if (const int error = avcodec_parameters_from_context(stream_->codecpar, codec_.get()); error < 0) {
        return failure(error);
    }
    // The muxer may pick a finer time base when it writes the header.
    stream_->time_base = codec_->time_base;
    stream_->avg_frame_rate = codec_->framerate;
    return {};
}

Result<void> FfmpegFilmEncoder::prepareFrames()
{
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    // Same size in and out, so the filter only halves the chroma; accurate
    // rounding in place of swscale's faster approximations.
    scale_.reset(sws_getContext(codec_->width, codec_->height, AV_PIX_FMT_0RGB32, codec_->width, codec_->height,
                                codec_->pix_fmt, SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
    if (!frame_ || !packet_ || !scale_) {
        return failure(AVERROR(ENOMEM));
    }
    frame_->format = codec_->pix_fmt;
    frame_->width = codec_->width;
    frame_->height = codec_->height;
    if (const int error = av_frame_get_buffer(frame_.get(), 0); error < 0) {
        return failure(error);
    }
    if (codec_->width != width_ || codec_->height != height_) {
        padded_.resize(static_cast<std::size_t>(codec_->width) * codec_->height);
    }
    return {};
}

Result<void> FfmpegFilmEncoder::createFile(const FilmEncoding& encoding)
{
    if (const int error = avio_open(&output_->pb, encoding.file.c_str(), AVIO_FLAG_WRITE); error < 0) {
        return Failure{"Could not create " + target_ + ": " + ffmpeg::errorText(error)};
    }
    ffmpeg::Options options(encoding.container->options);
    if (const int error = avformat_write_header(output_.get(), options.get()); error < 0) {
        return failure(error);
    }
    return {};
}

const std::uint32_t* FfmpegFilmEncoder::evenSized(const std::uint32_t* pixels)
{
    if (padded_.empty()) {
        return pixels;
    }
    const std::size_t paddedWidth = static_cast<std::size_t>(codec_->width);
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width_;
        std::uint32_t* out = padded_.data() + y * paddedWidth;
        std::copy(row, row + width_, out);
        std::fill(out + width_, out + paddedWidth, row[width_ - 1]);
    }
    if (codec_->height != height_) {
        const auto lastRow = padded_.begin() + (height_ - 1) * paddedWidth;
        std::copy(lastRow, lastRow + paddedWidth, lastRow + paddedWidth);
    }
    return padded_.data();
}

// Returns 0 or an AVERROR code.
int FfmpegFilmEncoder::convert(const std::uint32_t* pixels)
{
    const auto* plane = reinterpret_cast<const std::uint8_t*>(evenSized(pixels));
    const int stride = codec_->width * static_cast<int>(sizeof(std::uint32_t));
    const int rowsOrError = sws_scale(scale_.get(), &plane, &stride, 0, codec_->height, frame_->data, frame_->linesize);
    return std::min(rowsOrError, 0);
}

// Hands the encoder a picture, or nullptr to drain it, and muxes every packet
// it has ready. Returns 0 or an AVERROR code.
int FfmpegFilmEncoder::encode(const AVFrame* picture)
{
    int result = avcodec_send_frame(codec_.get(), picture);
    while (result >= 0) {
        result = avcodec_receive_packet(codec_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return 0;
        }
        if (result >= 0) {
            av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            result = av_interleaved_write_frame(output_.get(), packet_.get());
        }
    }
    return result;
}

Result<void> FfmpegFilmEncoder::writeFrame(const std::uint32_t* pixels)
{
    int error = av_frame_make_writable(frame_.get());
    if (error >= 0) {
        error = convert(pixels);
    }
    if (error >= 0) {
        frame_->pts = nextPts_++;
        error = encode(frame_.get());
    }
    if (error < 0) {
        return failure(error);
    }
    return {};
}

Result<void> FfmpegFilmEncoder::finish()
{
    int error = encode(nullptr);
    if (error >= 0) {
        error = av_write_trailer(output_.get());
    }
    if (error >= 0) {
        error = avio_closep(&output_->pb);
    }
    if (error < 0) {
        return failure(error);
    }
    return {};
}

Result<std::unique_ptr<FilmEncoder>> openFfmpegFilmEncoder(const FilmEncoding& encoding)
{
    // FFmpeg would log to stderr over the command line's progress; every
    // failure comes back in a Result instead.
    av_log_set_level(AV_LOG_QUIET);
    auto encoder = std::make_unique<FfmpegFilmEncoder>(encoding);
    if (Result<void> started = encoder->start(encoding); !started) {
        return Failure{started.error()};
    }
    return std::unique_ptr<FilmEncoder>(std::move(encoder));
}

}  // namespace
}  // namespace tessaform

extern "C" __attribute__((visibility("default"))) const tessaform::FilmEncoderEntry tessaform_film_encoder_entry{
    tessaform::kFilmEncoderVersion, &tessaform::openFfmpegFilmEncoder};
