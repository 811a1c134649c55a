// The real video system over libav: the input's bytes through an AVIO context, the
// best video stream decoded and converted by libswscale (nearest point, no dither),
// the best audio stream decoded beside it and resampled by libswresample.
#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/Video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform {

namespace {

constexpr int kIoBufferSize = 32768;
// Sound kept for a reader that does not come: at most this many seconds.
constexpr int32_t kAudioSeconds = 4;
// Packets read for one frame before the stream counts as broken.
constexpr int kMaxPacketsPerFrame = 4096;

const char* const kFormats = "avi,mpeg,mpegvideo";

bool videoCodecAllowed(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_RAWVIDEO:
    case AV_CODEC_ID_MSVIDEO1:
    case AV_CODEC_ID_MSRLE:
    case AV_CODEC_ID_CINEPAK:
    case AV_CODEC_ID_INDEO2:
    case AV_CODEC_ID_INDEO3:
    case AV_CODEC_ID_INDEO4:
    case AV_CODEC_ID_INDEO5:
    case AV_CODEC_ID_MPEG1VIDEO: return true;
    default: return false;
    }
}

bool audioCodecAllowed(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_ADPCM_MS:
    case AV_CODEC_ID_ADPCM_IMA_WAV:
    case AV_CODEC_ID_MP1:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3: return true;
    default: return false;
    }
}

int readPacket(void* opaque, uint8_t* buffer, int size) {
    auto* input = static_cast<IVideoInput*>(opaque);
    const int32_t got = input->read(buffer, size);
    if (got < 0) return AVERROR(EIO);
    return got == 0 ? AVERROR_EOF : got;
}

int64_t seekInput(void* opaque, int64_t offset, int whence) {
    auto* input = static_cast<IVideoInput*>(opaque);
    if (whence & AVSEEK_SIZE) return input->size();
    whence &= ~AVSEEK_FORCE;
    if (whence != SEEK_SET) return -1;
    return input->seek(offset) ? offset : -1;
}

AVCodecContext* openDecoder(AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return nullptr;
    context->thread_count = 1;
    if (avcodec_parameters_to_context(context, stream->codecpar) < 0 || avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return nullptr;
    }
    return context;
}

class LibavVideo : public IVideo {
public:
    LibavVideo(std::unique_ptr<IVideoInput> input, PixelLayout layout, const VideoAudioFormat& audio)
        : m_input(std::move(input)), m_layout(layout), m_audioFormat(audio) {}

    ~LibavVideo() override {
        sws_freeContext(m_scaler);
        swr_free(&m_resampler);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_video);
        avcodec_free_context(&m_audio);
        avformat_close_input(&m_format);
        if (m_io) av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }

    bool open() {
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        if (!buffer) return false;
        m_io = avio_alloc_context(buffer, kIoBufferSize, 0, m_input.get(), readPacket, nullptr, seekInput);
        if (!m_io) {
            av_free(buffer);
            return false;
        }
        m_format = avformat_alloc_context();
        if (!m_format) return false;
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "format_whitelist", kFormats, 0);
        const int opened = avformat_open_input(&m_format, nullptr, nullptr, &options);
        av_dict_free(&options);
        if (opened < 0) {
            m_format = nullptr;  // freed by the failed open
            return false;
        }
        if (avformat_find_stream_info(m_format, nullptr) < 0) return false;
        m_videoIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (m_videoIndex < 0) return false;
        AVStream* video = m_format->streams[m_videoIndex];
        const AVCodecParameters* parameters = video->codecpar;
        if (!videoCodecAllowed(parameters->codec_id)) return false;
        m_width = parameters->width;
        m_height = parameters->height;
        if (m_width <= 0 || m_height <= 0 || m_width > kVideoMaxSide || m_height > kVideoMaxSide) return false;
        m_video = openDecoder(video);
        if (!m_video) return false;
        m_timeBase = video->time_base;
        m_startTime = video->start_time == AV_NOPTS_VALUE ? 0 : video->start_time;
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_frame || !m_packet) return false;
        openAudio();
        return true;
    }

    int32_t width() const override { return m_width; }
    int32_t height() const override { return m_height; }

    bool nextFrame(VideoFrame* frame) override {
        while (!m_ended) {
            if (!decodeOne(frame)) {
                m_ended = true;
                return false;
            }
            if (frame->time >= m_skipBefore) {
                m_skipBefore = INT64_MIN;
                return true;
            }
        }
        return false;
    }

    bool seek(int64_t time) override {
        if (time < 0) time = 0;
        const int64_t target = av_rescale_q(time, AVRational{1, static_cast<int>(kVideoSecond)}, m_timeBase);
        if (av_seek_frame(m_format, m_videoIndex, target + m_startTime, AVSEEK_FLAG_BACKWARD) < 0 &&
            av_seek_frame(m_format, m_videoIndex, target + m_startTime, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
            m_ended = true;
            return false;
        }
        avcodec_flush_buffers(m_video);
        if (m_audio) avcodec_flush_buffers(m_audio);
        m_draining = false;
        m_ended = false;
        m_skipBefore = time;
        m_audioSkipBefore = time;
        // The resampler's delayed samples belong to the old place.
        swr_free(&m_resampler);
        clearAudio();
        return true;
    }

    bool hasAudio() const override { return m_audio != nullptr; }

    int32_t readAudio(int16_t* samples, int32_t frames) override {
        std::lock_guard<std::mutex> lock(m_audioMutex);
        // Opened without sound: no channels to count in.
        if (!m_audio || m_audioFormat.channels <= 0) return 0;
        const size_t channels = static_cast<size_t>(m_audioFormat.channels);
        const size_t take = std::min(m_samples.size() / channels, static_cast<size_t>(std::max(frames, 0)));
        std::copy_n(m_samples.begin(), take * channels, samples);
        m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(take * channels));
        return static_cast<int32_t>(take);
    }

    int32_t queuedAudio() const override {
        std::lock_guard<std::mutex> lock(m_audioMutex);
        if (!m_audio || m_audioFormat.channels <= 0) return 0;
        return static_cast<int32_t>(m_samples.size() / static_cast<size_t>(m_audioFormat.channels));
    }

    void clearAudio() override {
        std::lock_guard<std::mutex> lock(m_audioMutex);
        m_samples.clear();
    }

private:
    void openAudio() {
        if (m_audioFormat.rate <= 0 || m_audioFormat.channels <= 0 || m_audioFormat.channels > 2) return;
        m_audioIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, m_videoIndex, nullptr, 0);
        if (m_audioIndex < 0) return;
        AVStream* stream = m_format->streams[m_audioIndex];
        if (!audioCodecAllowed(stream->codecpar->codec_id)) return;
        m_audio = openDecoder(stream);
    }

    // A resampler from the frame's own layout, rate and sample format (a stream may
    // change them between frames); false when none can be made.
    bool resamplerFor(const AVFrame* frame) {
        const int channels = frame->ch_layout.nb_channels;
        if (channels <= 0 || channels > 8 || frame->sample_rate <= 0 || frame->format < 0) return false;
        if (m_resampler && channels == m_inChannels && frame->sample_rate == m_inRate && frame->format == m_inFormat)
            return true;
        swr_free(&m_resampler);
        AVChannelLayout out;
        av_channel_layout_default(&out, m_audioFormat.channels);
        AVChannelLayout in;
        av_channel_layout_default(&in, channels);
        const int made = swr_alloc_set_opts2(&m_resampler, &out, AV_SAMPLE_FMT_S16, m_audioFormat.rate, &in,
                                             static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                             nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (made < 0 || !m_resampler || swr_init(m_resampler) < 0) {
            swr_free(&m_resampler);
            return false;
        }
        m_inChannels = channels;
        m_inRate = frame->sample_rate;
        m_inFormat = frame->format;
        return true;
    }

    // Decodes one frame of the video stream and converts it; false at the end or on an error.
    bool decodeOne(VideoFrame* frame) {
        for (int packets = 0; packets < kMaxPacketsPerFrame; ++packets) {
            const int received = avcodec_receive_frame(m_video, m_frame);
            if (received == 0) return convert(frame);
            if (received != AVERROR(EAGAIN)) return false;
            if (m_draining) return false;
            const int read = av_read_frame(m_format, m_packet);
            if (read < 0) {
                // The end of the file: what the decoder holds still comes out.
                m_draining = true;
                if (avcodec_send_packet(m_video, nullptr) < 0) return false;
                continue;
            }
            if (m_packet->stream_index == m_videoIndex) {
                const int sent = avcodec_send_packet(m_video, m_packet);
                av_packet_unref(m_packet);
                if (sent < 0 && sent != AVERROR(EAGAIN)) return false;
            } else if (m_audio && m_packet->stream_index == m_audioIndex) {
                decodeAudio();
                av_packet_unref(m_packet);
            } else {
                av_packet_unref(m_packet);
            }
        }
        return false;
    }

    void decodeAudio() {
        if (avcodec_send_packet(m_audio, m_packet) < 0) return;
        AVFrame* decoded = av_frame_alloc();
        if (!decoded) return;
        while (avcodec_receive_frame(m_audio, decoded) == 0) {
            if (decoded->nb_samples <= 0 || !resamplerFor(decoded)) {
                av_frame_unref(decoded);
                continue;
            }
            const int room = swr_get_out_samples(m_resampler, decoded->nb_samples);
            if (room > 0) {
                std::vector<int16_t> out(static_cast<size_t>(room) * static_cast<size_t>(m_audioFormat.channels));
                uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(out.data())};
                const int made = swr_convert(m_resampler, planes, room,
                                             const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
                if (made > 0) {
                    const size_t skip = samplesBeforeTarget(decoded, static_cast<size_t>(made));
                    keepAudio(out.data() + skip * static_cast<size_t>(m_audioFormat.channels),
                              static_cast<size_t>(made) - skip);
                }
            }
            av_frame_unref(decoded);
        }
        av_frame_free(&decoded);
    }

    // After a seek the demuxer starts before the time sought (at a key frame); the sound
    // before that time is dropped as the pictures before it are, so both start there.
    size_t samplesBeforeTarget(const AVFrame* decoded, size_t made) {
        if (m_audioSkipBefore == INT64_MIN) return 0;
        const int64_t pts = decoded->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) {
            m_audioSkipBefore = INT64_MIN;
            return 0;
        }
        const AVRational units{1, static_cast<int>(kVideoSecond)};
        const int64_t at = av_rescale_q(pts, m_format->streams[m_audioIndex]->time_base, units) -
                           av_rescale_q(m_startTime, m_timeBase, units);
        const int64_t behind = m_audioSkipBefore - at;
        if (behind <= 0) {
            m_audioSkipBefore = INT64_MIN;
            return 0;
        }
        const int64_t frames = av_rescale(behind, m_audioFormat.rate, kVideoSecond);
        if (frames < static_cast<int64_t>(made)) {
            m_audioSkipBefore = INT64_MIN;
            return static_cast<size_t>(frames);
        }
        return made;
    }

    void keepAudio(const int16_t* samples, size_t frames) {
        if (frames == 0) return;
        std::lock_guard<std::mutex> lock(m_audioMutex);
        const size_t channels = static_cast<size_t>(m_audioFormat.channels);
        m_samples.insert(m_samples.end(), samples, samples + frames * channels);
        const size_t limit = static_cast<size_t>(m_audioFormat.rate) * channels * kAudioSeconds;
        if (m_samples.size() > limit)
            m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(m_samples.size() - limit));
    }

    bool convert(VideoFrame* frame) {
        struct Unref {
            AVFrame* f;
            ~Unref() { av_frame_unref(f); }
        } unref{m_frame};
        if (m_frame->width != m_width || m_frame->height != m_height || m_frame->format < 0) return false;
        const AVPixelFormat format = static_cast<AVPixelFormat>(m_frame->format);
        if (!m_scaler || format != m_scalerFormat) {
            sws_freeContext(m_scaler);
            m_scaler = sws_alloc_context();
            if (!m_scaler) return false;
            const AVPixelFormat target = m_layout == PixelLayout::Rgb555 ? AV_PIX_FMT_RGB555LE : AV_PIX_FMT_RGB565LE;
            av_opt_set_int(m_scaler, "srcw", m_width, 0);
            av_opt_set_int(m_scaler, "srch", m_height, 0);
            av_opt_set_int(m_scaler, "src_format", format, 0);
            av_opt_set_int(m_scaler, "dstw", m_width, 0);
            av_opt_set_int(m_scaler, "dsth", m_height, 0);
            av_opt_set_int(m_scaler, "dst_format", target, 0);
            av_opt_set_int(m_scaler, "sws_flags", SWS_POINT, 0);
            av_opt_set_int(m_scaler, "sws_dither", 0, 0);  // SWS_DITHER_NONE
            if (sws_init_context(m_scaler, nullptr, nullptr) < 0) {
                sws_freeContext(m_scaler);
                m_scaler = nullptr;
                return false;
            }
            m_scalerFormat = format;
        }
        frame->pixels.resize(static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(frame->pixels.data()), nullptr, nullptr, nullptr};
        int strides[4] = {m_width * 2, 0, 0, 0};
        if (sws_scale(m_scaler, m_frame->data, m_frame->linesize, 0, m_height, planes, strides) != m_height)
            return false;
        int64_t pts = m_frame->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) pts = m_frame->pts;
        if (pts == AV_NOPTS_VALUE) pts = m_startTime + m_lastPts + 1;
        m_lastPts = pts - m_startTime;
        frame->time = av_rescale_q(pts - m_startTime, m_timeBase, AVRational{1, static_cast<int>(kVideoSecond)});
        return true;
    }

    std::unique_ptr<IVideoInput> m_input;
    PixelLayout m_layout;
    VideoAudioFormat m_audioFormat;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_video = nullptr;
    AVCodecContext* m_audio = nullptr;
    SwsContext* m_scaler = nullptr;
    AVPixelFormat m_scalerFormat = AV_PIX_FMT_NONE;
    SwrContext* m_resampler = nullptr;
    int m_inChannels = 0;
    int m_inRate = 0;
    int m_inFormat = -1;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    int32_t m_width = 0;
    int32_t m_height = 0;
    AVRational m_timeBase{1, 1};
    int64_t m_startTime = 0;
    int64_t m_lastPts = -1;
    int64_t m_skipBefore = INT64_MIN;
    int64_t m_audioSkipBefore = INT64_MIN;
    bool m_draining = false;
    bool m_ended = false;
    mutable std::mutex m_audioMutex;
    std::deque<int16_t> m_samples;
};

}  // namespace

std::unique_ptr<IVideo> LibavVideoSystem::open(std::unique_ptr<IVideoInput> input, PixelLayout layout,
                                               const VideoAudioFormat& audio) {
    if (!input) return nullptr;
    av_log_set_level(AV_LOG_QUIET);
    auto video = std::make_unique<LibavVideo>(std::move(input), layout, audio);
    if (!video->open()) return nullptr;
    return video;
}

}  // namespace platform
