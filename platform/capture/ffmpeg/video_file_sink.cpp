// A capture encoded in this process with FFmpeg's libraries: .mkv holds FFV1
// (lossless RGB) and FLAC, .mp4 holds H.264 in yuv420p and AAC. Built as a
// module of its own, loaded when such a capture starts, behind the plain C
// entry of video_file_module.h.
//
// FFV1 codes every frame on its own, and at 50 frames a second most frames
// of a capture repeat the one before (the intro composes about 24 a second).
// A repeated frame would code to the very same bytes, so the .mkv gets a
// copy of the previous frame's packet instead: every video frame is still in
// the file at its time (any tool that counts or converts frames sees the
// capture's rate), at half the cost of coding them all.
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/capture/video_file_module.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// FFmpeg's own complaints are kept, not printed: the capture says what went
// wrong in one line of its own, with the last of them as the reason.
std::mutex lastComplaintMutex;
std::string lastComplaint;

// The format is FFmpeg's, checked where FFmpeg calls av_log (clang 19 warns
// of a format that is no literal unless the function says it takes one).
__attribute__((format(printf, 3, 0))) void KeepComplaint(void* /*context*/, int level, const char* format,
                                                         va_list arguments) {
    if (level > AV_LOG_ERROR) {
        return;
    }
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    std::lock_guard lock(lastComplaintMutex);
    lastComplaint = line;
}

std::string TakeComplaint() {
    std::lock_guard lock(lastComplaintMutex);
    return std::exchange(lastComplaint, std::string());
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
    const char* name = "";  // the encoder's (FFmpeg's static text): the context forgets it when opening fails
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    int64_t next = 0;  // the next frame's or sample's time, in the codec's time base
};

class VideoEncoder {
  public:
    explicit VideoEncoder(const TrelkVideoRequest& request)
        : path_(request.path),
          mp4_(request.mp4 != 0),
          width_(request.width),
          height_(request.height),
          fps_(request.fps),
          sampleRate_(request.sampleRate),
          folderForm_(request.folderForm),
          say_(request.sayCannotWrite),
          sayContext_(request.sayContext) {}

    ~VideoEncoder() {
        sws_freeContext(converter_);
        avcodec_free_context(&video_.codec);
        avcodec_free_context(&sound_.codec);
        if (file_ != nullptr) {
            avio_closep(&file_->pb);
            avformat_free_context(file_);
        }
    }
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    bool Open() {
        av_log_set_callback(KeepComplaint);
        TakeComplaint();
        int error = avformat_alloc_output_context2(&file_, nullptr, mp4_ ? "mp4" : "matroska", path_.c_str());
        if (error < 0) {
            return Failed("FFmpeg has no container for it", error);
        }
        if (!OpenVideo() || !OpenSound()) {
            return false;
        }
        error = avio_open(&file_->pb, path_.c_str(), AVIO_FLAG_WRITE);
        if (error < 0) {
            return Failed("", error);
        }
        AVDictionary* options = nullptr;
        if (mp4_) {
            av_dict_set(&options, "movflags", "+faststart", 0);  // playable while it downloads
        }
        error = avformat_write_header(file_, &options);
        av_dict_free(&options);
        return error >= 0 || Failed("", error);
    }

    bool WriteFrame(const uint32_t* pixels, bool repeated) {
        if (repeated && !mp4_ && last_ != nullptr) {
            PacketPtr copy(av_packet_clone(last_.get()));
            if (copy == nullptr) {
                return Failed("", AVERROR(ENOMEM));
            }
            copy->pts = copy->dts = video_.next++;
            const int error = Mux(video_, copy.get());
            return error >= 0 || Failed("", error);
        }
        const int writable = av_frame_make_writable(picture_.get());
        if (writable < 0) {
            return Failed("", writable);
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

    bool WriteSound(const int16_t* stereo, size_t frames) {
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

    bool Finish() {
        const bool ok = (pending_.empty() || EncodeSound(pending_.data(), pending_.size() / 2)) &&
                        Encode(video_, nullptr) && Encode(sound_, nullptr);
        if (!ok) {
            return false;
        }
        int error = av_write_trailer(file_);
        if (error < 0) {
            return Failed("", error);
        }
        error = avio_closep(&file_->pb);  // what is still buffered is written here
        return error >= 0 || Failed("", error);
    }

  private:
    // One line: `what` failed and FFmpeg's reason; a failure of the file
    // itself (a full disk) is the system's reason alone.
    bool Failed(const std::string& what, int error) {
        const std::string complaint = TakeComplaint();
        std::string why = what;
        if (why.empty()) {
            why = error < 0 ? ErrorText(error) : complaint;
        } else if (!complaint.empty() || error < 0) {
            why += " (" + (complaint.empty() ? ErrorText(error) : complaint) + ")";
        }
        say_(sayContext_, (why.empty() ? std::string("FFmpeg could not write it") : why).c_str());
        return false;
    }

    AVCodecContext* NewEncoder(const char* name, Track& track) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (codec == nullptr) {
            say_(sayContext_, (std::string("FFmpeg's libavcodec here has no ") + name +
                               " encoder (Debian package libavcodec59 has it); " + folderForm_)
                                  .c_str());
            return nullptr;
        }
        track.name = codec->name;
        track.stream = avformat_new_stream(file_, nullptr);
        track.codec = avcodec_alloc_context3(codec);
        if (track.stream == nullptr || track.codec == nullptr) {
            Failed("", AVERROR(ENOMEM));
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
        return error >= 0 ||
               Failed(std::string("FFmpeg's ") + track.name + " encoder refused " + std::to_string(width_) +
                          "x" + std::to_string(height_) + " at " + std::to_string(fps_) + " frames a second",
                      error);
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
                av_dict_free(&options);
                return Failed("FFmpeg could not convert the colours", 0);
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
            av_dict_free(&options);
            return Failed("", AVERROR(ENOMEM));
        }
        picture_->format = codec->pix_fmt;
        picture_->width = width_;
        picture_->height = height_;
        const int error = av_frame_get_buffer(picture_.get(), 0);
        if (error < 0) {
            av_dict_free(&options);
            return Failed("", error);
        }
        return Opened(video_, &options);
    }

    bool OpenSound() {
        AVCodecContext* codec = NewEncoder(mp4_ ? "aac" : "flac", sound_);
        if (codec == nullptr) {
            return false;
        }
        codec->sample_rate = sampleRate_;
        codec->time_base = AVRational{1, sampleRate_};
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
            return Failed("", AVERROR(ENOMEM));
        }
        block->format = sound_.codec->sample_fmt;
        block->sample_rate = sampleRate_;
        block->nb_samples = static_cast<int>(frames);
        int error = av_channel_layout_copy(&block->ch_layout, &sound_.codec->ch_layout);
        if (error >= 0) {
            error = av_frame_get_buffer(block.get(), 0);
        }
        if (error < 0) {
            return Failed("", error);
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
                return Failed("", AVERROR(ENOMEM));
            }
            error = avcodec_receive_packet(track.codec, packet.get());
            if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
                return true;
            }
            if (error >= 0) {
                error = Write(track, std::move(packet));
                if (error < 0) {
                    return Failed("", error);  // the file, not the encoder
                }
            }
        }
        return Failed(std::string("FFmpeg's ") + track.name + " encoder failed", error);
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

    std::string path_;
    bool mp4_;
    int width_;
    int height_;
    int fps_;
    int sampleRate_;
    std::string folderForm_;
    void (*say_)(void* context, const char* why);
    void* sayContext_;
    AVFormatContext* file_ = nullptr;
    Track video_;
    Track sound_;
    SwsContext* converter_ = nullptr;
    FramePtr picture_;
    PacketPtr last_;                // .mkv: the last frame coded
    std::vector<int16_t> pending_;  // sound not yet a whole block for the encoder
};

// The C calls of the module's table; nothing of C++ crosses them, not even an exception.
TrelkVideoEncoder* Open(const TrelkVideoRequest* request) {
    if (request == nullptr || request->structSize != sizeof(TrelkVideoRequest) ||
        request->version != TRELK_VIDEO_MODULE_VERSION) {
        return nullptr;  // a request of another build: nothing in it can be trusted, not even its say
    }
    try {
        auto encoder = std::make_unique<VideoEncoder>(*request);
        return encoder->Open() ? reinterpret_cast<TrelkVideoEncoder*>(encoder.release()) : nullptr;
    } catch (const std::bad_alloc&) {
        request->sayCannotWrite(request->sayContext, std::strerror(ENOMEM));
        return nullptr;
    }
}

VideoEncoder* Of(TrelkVideoEncoder* encoder) { return reinterpret_cast<VideoEncoder*>(encoder); }

int32_t WriteFrame(TrelkVideoEncoder* encoder, const uint32_t* pixels, int32_t repeated) {
    try {
        return Of(encoder)->WriteFrame(pixels, repeated != 0) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int32_t WriteSound(TrelkVideoEncoder* encoder, const int16_t* stereo, uint64_t frames) {
    try {
        return Of(encoder)->WriteSound(stereo, static_cast<size_t>(frames)) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int32_t Finish(TrelkVideoEncoder* encoder) {
    try {
        return Of(encoder)->Finish() ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void Close(TrelkVideoEncoder* encoder) { delete Of(encoder); }

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t TrelkVideoModuleEntry(uint32_t version,
                                                                                uint32_t moduleSize,
                                                                                TrelkVideoModule* module) {
    if (version != TRELK_VIDEO_MODULE_VERSION || moduleSize != sizeof(TrelkVideoModule) ||
        module == nullptr) {
        return 0;
    }
    *module = TrelkVideoModule{
        sizeof(TrelkVideoModule), TRELK_VIDEO_MODULE_VERSION, Open, WriteFrame, WriteSound, Finish, Close};
    return 1;
}
static_assert(std::is_same_v<decltype(&TrelkVideoModuleEntry), TrelkVideoModuleEntryFunction>);
