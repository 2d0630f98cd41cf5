#include "platform/capture/capture_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/capture/png_writer.h"

namespace {

void PutLittleEndian(uint8_t* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

std::array<uint8_t, 44> WavHeader(int sampleRate, uint64_t frames) {
    const uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(frames * 4, 0xFFFFFFFFu - 36));
    std::array<uint8_t, 44> header{};
    std::memcpy(header.data(), "RIFF", 4);
    PutLittleEndian(header.data() + 4, 36 + dataBytes, 4);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    PutLittleEndian(header.data() + 16, 16, 4);  // the format chunk's size
    PutLittleEndian(header.data() + 20, 1, 2);   // PCM
    PutLittleEndian(header.data() + 22, 2, 2);   // stereo
    PutLittleEndian(header.data() + 24, static_cast<uint32_t>(sampleRate), 4);
    PutLittleEndian(header.data() + 28, static_cast<uint32_t>(sampleRate) * 4, 4);
    PutLittleEndian(header.data() + 32, 4, 2);   // bytes a frame
    PutLittleEndian(header.data() + 34, 16, 2);  // bits a sample
    std::memcpy(header.data() + 36, "data", 4);
    PutLittleEndian(header.data() + 40, dataBytes, 4);
    return header;
}

}  // namespace

int WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        return errno;
    }
    int error =
        WritePngFile(file, PngImage{pixels, width, height, PngPixels::Xrgb8888}, {PngCompression::Fast});
    if (std::fclose(file) != 0 && error == 0) {
        error = errno;  // what was still buffered
    }
    return error;
}

WavWriter::~WavWriter() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool WavWriter::Failed() {
    error_ = errno != 0 ? errno : EIO;
    return false;
}

bool WavWriter::Open(const std::string& path, int sampleRate) {
    file_ = std::fopen(path.c_str(), "wbx");
    if (file_ == nullptr) {
        return Failed();
    }
    sampleRate_ = sampleRate;
    const std::array<uint8_t, 44> header = WavHeader(sampleRate, 0);
    return std::fwrite(header.data(), 1, header.size(), file_) == header.size() || Failed();
}

bool WavWriter::Append(const int16_t* stereo, size_t frames) {
    if (file_ == nullptr) {
        return false;
    }
    // WAV is little-endian whatever the machine.
    std::vector<uint8_t> bytes(frames * 4);
    for (size_t i = 0; i < frames * 2; ++i) {
        PutLittleEndian(bytes.data() + 2 * i, static_cast<uint16_t>(stereo[i]), 2);
    }
    frames_ += frames;
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() || Failed();
}

bool WavWriter::Close() {
    if (file_ == nullptr) {
        return false;
    }
    const std::array<uint8_t, 44> header = WavHeader(sampleRate_, frames_);
    bool ok = (std::fseek(file_, 0, SEEK_SET) == 0 &&
               std::fwrite(header.data(), 1, header.size(), file_) == header.size()) ||
              Failed();
    // What was still buffered is written here.
    ok = (std::fclose(file_) == 0 || (ok && Failed())) && ok;
    file_ = nullptr;
    return ok;
}
