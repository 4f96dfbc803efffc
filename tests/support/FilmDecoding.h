#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "film/FfmpegHandles.h"

namespace tessaform {

// A film as a player shows it.
struct DecodedFilm {
    int width = 0;
    int height = 0;
    double fps = 0;
    std::vector<std::vector<std::uint32_t>> frames;  // 0x00RRGGBB
};

namespace film_decoding {

inline void throwOnError(int result, const char* step)
{
    if (result < 0) {
        throw std::runtime_error(std::string(step) + ": " + ffmpeg::errorText(result));
    }
}

inline std::uint8_t sampleAt(const AVFrame& frame, int plane, int x, int y)
{
    return frame.data[plane][static_cast<std::ptrdiff_t>(y) * frame.linesize[plane] + x];
}

inline std::uint32_t channel(double value, int shift)
{
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0l, 255l)) << shift;
}

// Converts by the BT.601 formulas that the film's tag names, independent of
// the swscale conversion under test, taking chroma from the pixel's 2 x 2 block.
inline std::vector<std::uint32_t> rgbPixels(const AVFrame& frame)
{
    if (frame.format != AV_PIX_FMT_YUV420P || frame.colorspace != AVCOL_SPC_SMPTE170M ||
        frame.color_range != AVCOL_RANGE_MPEG) {
        throw std::runtime_error("not limited-range BT.601 YUV 4:2:0");
    }
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const double luma = 1.164 * (sampleAt(frame, 0, x, y) - 16);
            const double blue = sampleAt(frame, 1, x / 2, y / 2) - 128;
            const double red = sampleAt(frame, 2, x / 2, y / 2) - 128;
            pixels.push_back(channel(luma + 1.596 * red, 16) | channel(luma - 0.392 * blue - 0.813 * red, 8) |
                             channel(luma + 2.017 * blue, 0));
        }
    }
    return pixels;
}

}  // namespace film_decoding

// Every frame of the film, in order; throws when FFmpeg cannot read it.
inline DecodedFilm decodeFilm(const std::string& file)
{
    AVFormatContext* opened = nullptr;
    film_decoding::throwOnError(avformat_open_input(&opened, file.c_str(), nullptr, nullptr), "open");
    const ffmpeg::InputFormat input(opened);
    film_decoding::throwOnError(avformat_find_stream_info(input.get(), nullptr), "stream info");
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    film_decoding::throwOnError(index, "video stream");
    const ffmpeg::CodecContext codec(avcodec_alloc_context3(decoder));
    film_decoding::throwOnError(avcodec_parameters_to_context(codec.get(), input->streams[index]->codecpar),
                                "parameters");
    film_decoding::throwOnError(avcodec_open2(codec.get(), decoder, nullptr), "decoder");

    DecodedFilm film;
    film.fps = av_q2d(input->streams[index]->avg_frame_rate);
    const ffmpeg::Packet packet(av_packet_alloc());
    const ffmpeg::Frame frame(av_frame_alloc());
    const auto receiveFrames = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
            film.width = frame->width;
            film.height = frame->height;
            film.frames.push_back(film_decoding::rgbPixels(*frame));
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index) {
            film_decoding::throwOnError(avcodec_send_packet(codec.get(), packet.get()), "decode");
        }
        av_packet_unref(packet.get());
        receiveFrames();
    }
    film_decoding::throwOnError(avcodec_send_packet(codec.get(), nullptr), "drain");
    receiveFrames();
    return film;
}

}  // namespace tessaform
