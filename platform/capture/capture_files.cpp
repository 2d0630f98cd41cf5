#include "platform/capture/capture_files.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

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

// libpng's file calls, keeping the system's reason for a failure instead of
// printing libpng's own words.
struct PngFile {
    std::FILE* file;
    int error = 0;
};

[[noreturn]] void PngFailed(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

void PngQuiet(png_structp /*png*/, png_const_charp /*message*/) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<PngFile*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, out->file) != length) {
        out->error = errno != 0 ? errno : EIO;
        png_error(png, "write");
    }
}

void PngFlush(png_structp /*png*/) {}

}  // namespace

int WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
    PngFile out{std::fopen(path.c_str(), "wbx")};
    if (out.file == nullptr) {
        return errno;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngQuiet);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, PngWrite, PngFlush);
        png_set_compression_level(png, 1);
        png_set_filter(png, 0, PNG_FILTER_SUB);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const uint32_t* source = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int x = 0; x < width; ++x) {
                row[3 * static_cast<size_t>(x)] = static_cast<uint8_t>(source[x] >> 16);
                row[3 * static_cast<size_t>(x) + 1] = static_cast<uint8_t>(source[x] >> 8);
                row[3 * static_cast<size_t>(x) + 2] = static_cast<uint8_t>(source[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    int error = written ? 0 : (out.error != 0 ? out.error : ENOMEM);
    if (std::fclose(out.file) != 0 && error == 0) {
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
