#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace tessaform::ffmpeg {

// Owners of FFmpeg's objects, each freed by the call FFmpeg asks for.

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleContextFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
// A muxer's file is ours to close; avio_closep does nothing once it is closed.
struct OutputFormatFree {
    void operator()(AVFormatContext* context) const
    {
        avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct InputFormatFree {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using ScaleContext = std::unique_ptr<SwsContext, ScaleContextFree>;
using OutputFormat = std::unique_ptr<AVFormatContext, OutputFormatFree>;
using InputFormat = std::unique_ptr<AVFormatContext, InputFormatFree>;

// Options for an opening call, given as "key=value:key=value"; the call
// takes out those it used.
class Options {
public:
    explicit Options(const char* pairs) { av_dict_parse_string(&entries_, pairs, "=", ":", 0); }
    ~Options() { av_dict_free(&entries_); }
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;

    void set(const char* key, int value) { av_dict_set_int(&entries_, key, value, 0); }
    AVDictionary** get() { return &entries_; }

private:
    AVDictionary* entries_ = nullptr;
};

// FFmpeg's text for an AVERROR code; av_err2str is a C compound literal.
inline std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace tessaform::ffmpeg
