// A capture encoded in this process with FFmpeg's libraries: .mkv holds FFV1
// (lossless RGB) and FLAC, .mp4 holds H.264 in yuv420p and AAC. Built as a
// module of its own, loaded when such a capture starts (video_file_module.h).
//
// FFV1 codes every frame on its own, and at 50 frames a second most frames
// of a capture repeat the one before (the intro composes about 24 a second).
// A repeated frame would code to the very same bytes, so the .mkv gets a
// copy of the previous frame's packet instead: every video frame is still in
// the file at its time (any tool that counts or converts frames sees the
// capture's rate), at half the cost of coding them all.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/capture/video_file_module.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace fs = std::filesystem;

namespace {

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// One encoder and the stream its packets go to.
struct Track {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    int64_t next = 0;  // the next frame's or sample's time, in the codec's time base
};

class VideoFileSink final : public CaptureSink {
  public:
    explicit VideoFileSink(const VideoFileRequest& request)
        : output_(request.output),
          partial_(request.partial),
          mp4_(output_.extension() == ".mp4"),
          width_(request.width),
          height_(request.height),
          fps_(request.fps),
          sayCannotWrite_(request.sayCannotWrite),
          folderForm_(request.folderForm) {}

    ~VideoFileSink() override {
        sws_freeContext(converter_);
        avcodec_free_context(&video_.codec);
        avcodec_free_context(&sound_.codec);
        if (file_ != nullptr) {
            avio_closep(&file_->pb);
            avformat_free_context(file_);
        }
        if (!finished_) {
            std::error_code ignored;
            fs::remove(partial_, ignored);
        }
    }
    VideoFileSink(const VideoFileSink&) = delete;
    VideoFileSink& operator=(const VideoFileSink&) = delete;

    bool Open() {
        av_log_set_level(AV_LOG_ERROR);
        int error =
            avformat_alloc_output_context2(&file_, nullptr, mp4_ ? "mp4" : "matroska", partial_.c_str());
        if (error < 0) {
            return Failed("no container", error);
        }
        if (!OpenVideo() || !OpenSound()) {
            return false;
        }
        error = avio_open(&file_->pb, partial_.c_str(), AVIO_FLAG_WRITE);
        if (error < 0) {
            sayCannotWrite_(ErrorText(error));
            return false;
        }
        AVDictionary* options = nullptr;
        if (mp4_) {
            av_dict_set(&options, "movflags", "+faststart", 0);  // playable while it downloads
        }
        error = avformat_write_header(file_, &options);
        av_dict_free(&options);
        return error >= 0 || Failed("the file's header", error);
    }

    bool WriteFrame(const uint32_t* pixels, bool repeated) override {
        if (repeated && !mp4_ && last_ != nullptr) {
            PacketPtr copy(av_packet_clone(last_.get()));
            if (copy == nullptr) {
                return false;
            }
            copy->pts = copy->dts = video_.next++;
            return Mux(video_, copy.get()) >= 0 || Failed("a frame", 0);
        }
        if (av_frame_make_writable(picture_.get()) < 0) {
            return false;
        }
        if (mp4_) {
            const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(pixels)};
            const int sourcePitch[1] = {width_ * 4};
            sws_scale(converter_, source, sourcePitch, 0, height_, picture_->data, picture_->linesize);
        } else {
            // 0xFFRRGGBB words are B, G, R, 0xFF bytes in memory: FFmpeg's bgr0.
            for (int y = 0; y < height_; ++y) {
                std::memcpy(picture_->data[0] + static_cast<ptrdiff_t>(y) * picture_->linesize[0],
                            pixels + static_cast<ptrdiff_t>(y) * width_, static_cast<size_t>(width_) * 4);
            }
        }
        picture_->pts = video_.next++;
        return Encode(video_, picture_.get());
    }

    bool WriteSound(const int16_t* stereo, size_t frames) override {
        pending_.insert(pending_.end(), stereo, stereo + frames * 2);
        const size_t block = static_cast<size_t>(sound_.codec->frame_size);
        size_t used = 0;
        bool ok = true;
        while (ok && pending_.size() - used >= block * 2) {
            ok = EncodeSound(pending_.data() + used, block);
            used += block * 2;
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(used));
        return ok;
    }

    bool Finish() override {
        bool ok = pending_.empty() || EncodeSound(pending_.data(), pending_.size() / 2);
        ok = ok && Encode(video_, nullptr) && Encode(sound_, nullptr);
        const int error = ok ? av_write_trailer(file_) : 0;
        if (!ok || error < 0) {
            return Failed("the end of the file", error);
        }
        if (avio_closep(&file_->pb) < 0) {
            sayCannotWrite_(std::strerror(errno));
            return false;
        }
        std::error_code renamed;
        fs::rename(partial_, output_, renamed);
        if (renamed) {
            sayCannotWrite_(renamed.message());
            return false;
        }
        finished_ = true;
        return true;
    }

  private:
    bool Failed(const char* what, int error) {
        sayCannotWrite_(std::string("FFmpeg could not write ") + what +
                        (error < 0 ? " (" + ErrorText(error) + ")" : std::string()));
        return false;
    }

    AVCodecContext* NewEncoder(const char* name, Track& track) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (codec == nullptr) {
            sayCannotWrite_(std::string("FFmpeg's libavcodec here has no ") + name +
                            " encoder (Debian package libavcodec59 has it); " + folderForm_);
            return nullptr;
        }
        track.stream = avformat_new_stream(file_, nullptr);
        track.codec = avcodec_alloc_context3(codec);
        if (track.stream == nullptr || track.codec == nullptr) {
            return nullptr;
        }
        if ((file_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
            track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        return track.codec;
    }

    bool Opened(Track& track, AVDictionary** options) {
        int error = avcodec_open2(track.codec, track.codec->codec, options);
        av_dict_free(options);
        if (error >= 0) {
            error = avcodec_parameters_from_context(track.stream->codecpar, track.codec);
        }
        track.stream->time_base = track.codec->time_base;
        return error >= 0 || Failed(track.codec->codec->name, error);
    }

    bool OpenVideo() {
        AVCodecContext* codec = NewEncoder(mp4_ ? "libx264" : "ffv1", video_);
        if (codec == nullptr) {
            return false;
        }
        codec->width = width_;
        codec->height = height_;
        codec->time_base = AVRational{1, fps_};
        codec->framerate = AVRational{fps_, 1};
        // One coding thread a core: more only take turns (FFmpeg's own choice is one more).
        codec->thread_count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        AVDictionary* options = nullptr;
        if (mp4_) {
            codec->pix_fmt = AV_PIX_FMT_YUV420P;
            av_dict_set(&options, "preset", "fast", 0);
            av_dict_set(&options, "crf", "18", 0);
            converter_ = sws_getContext(width_, height_, AV_PIX_FMT_BGR0, width_, height_, AV_PIX_FMT_YUV420P,
                                        SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (converter_ == nullptr) {
                return Failed("the colour conversion", 0);
            }
        } else {
            codec->pix_fmt = AV_PIX_FMT_BGR0;
            codec->gop_size = 1;
            codec->level = 3;  // slices, coded side by side on the machine's cores; twelve share
                               // out the picture's busy and plain parts evenly enough
            av_dict_set(&options, "slices", "12", 0);
        }
        picture_.reset(av_frame_alloc());
        if (picture_ == nullptr) {
            return false;
        }
        picture_->format = codec->pix_fmt;
        picture_->width = width_;
        picture_->height = height_;
        if (av_frame_get_buffer(picture_.get(), 0) < 0) {
            return false;
        }
        return Opened(video_, &options);
    }

    bool OpenSound() {
        AVCodecContext* codec = NewEncoder(mp4_ ? "aac" : "flac", sound_);
        if (codec == nullptr) {
            return false;
        }
        codec->sample_rate = CAPTURE_SAMPLE_RATE;
        codec->time_base = AVRational{1, CAPTURE_SAMPLE_RATE};
        av_channel_layout_default(&codec->ch_layout, 2);
        codec->sample_fmt = mp4_ ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
        if (mp4_) {
            codec->bit_rate = 192000;
        }
        AVDictionary* options = nullptr;
        return Opened(sound_, &options);
    }

    bool EncodeSound(const int16_t* stereo, size_t frames) {
        FramePtr block(av_frame_alloc());
        if (block == nullptr) {
            return false;
        }
        block->format = sound_.codec->sample_fmt;
        block->sample_rate = CAPTURE_SAMPLE_RATE;
        block->nb_samples = static_cast<int>(frames);
        if (av_channel_layout_copy(&block->ch_layout, &sound_.codec->ch_layout) < 0 ||
            av_frame_get_buffer(block.get(), 0) < 0) {
            return false;
        }
        if (mp4_) {
            auto* left = reinterpret_cast<float*>(block->data[0]);
            auto* right = reinterpret_cast<float*>(block->data[1]);
            for (size_t i = 0; i < frames; ++i) {
                left[i] = static_cast<float>(stereo[2 * i]) / 32768.0f;
                right[i] = static_cast<float>(stereo[2 * i + 1]) / 32768.0f;
            }
        } else {
            std::memcpy(block->data[0], stereo, frames * 4);
        }
        block->pts = sound_.next;
        sound_.next += static_cast<int64_t>(frames);
        return Encode(sound_, block.get());
    }

    // Hands a frame (null: the end) to the encoder and writes what it gives back.
    bool Encode(Track& track, AVFrame* frame) {
        int error = avcodec_send_frame(track.codec, frame);
        while (error >= 0) {
            PacketPtr packet(av_packet_alloc());
            if (packet == nullptr) {
                return false;
            }
            error = avcodec_receive_packet(track.codec, packet.get());
            if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
                return true;
            }
            if (error >= 0) {
                error = Write(track, std::move(packet));
            }
        }
        return Failed(track.codec->codec->name, error);
    }

    int Write(Track& track, PacketPtr packet) {
        if (&track == &video_ && !mp4_) {
            // Kept, in the codec's time base, for the frames that repeat it.
            last_.reset(av_packet_clone(packet.get()));
            if (last_ == nullptr) {
                return AVERROR(ENOMEM);
            }
        }
        return Mux(track, packet.get());
    }

    int Mux(Track& track, AVPacket* packet) {
        if (&track == &video_) {
            packet->duration = 1;  // one frame: what the containers give the last frame too
        }
        av_packet_rescale_ts(packet, track.codec->time_base, track.stream->time_base);
        packet->stream_index = track.stream->index;
        return av_interleaved_write_frame(file_, packet);
    }

    fs::path output_;
    fs::path partial_;
    bool mp4_;
    int width_;
    int height_;
    int fps_;
    AVFormatContext* file_ = nullptr;
    Track video_;
    Track sound_;
    SwsContext* converter_ = nullptr;
    FramePtr picture_;
    PacketPtr last_;                // .mkv: the last frame coded
    std::vector<int16_t> pending_;  // sound not yet a whole block for the encoder
    void (*sayCannotWrite_)(const std::string& why);
    std::string folderForm_;
    bool finished_ = false;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) CaptureSink* TrelkOpenVideoFileSink(
    const VideoFileRequest& request) {
    auto sink = std::make_unique<VideoFileSink>(request);
    return sink->Open() ? sink.release() : nullptr;
}
static_assert(std::is_same_v<decltype(&TrelkOpenVideoFileSink), OpenVideoFileSinkEntry>);
