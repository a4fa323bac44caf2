#include "scanner/core/sane_page.h"

#include <algorithm>
#include <cstring>

#include "engine/image/image_loader.h"

namespace fenwary {

namespace {

constexpr int kBitsPerByte = 8;
constexpr std::uint8_t kBlack = 0;
constexpr std::uint8_t kWhite = 255;
constexpr int kColourChannels = 3;
constexpr std::size_t kMaxSampleBytes = 6;  // RGB at 16 bits

/// Sample `index` (counted in samples along the line) of a line at `depth`,
/// scaled to 0..255. One-bit samples give 0 or 255.
std::uint8_t sampleAt(const SANE_Byte* line, std::size_t index, int depth) {
    switch (depth) {
        case 1:
            return (line[index / kBitsPerByte] >> (7 - index % kBitsPerByte)) & 1 ? kWhite : kBlack;
        case 16: {
            std::uint16_t value;  // native byte order, as SANE sends it
            std::memcpy(&value, line + index * 2, sizeof value);
            return std::uint8_t(value >> 8);
        }
        default:
            return line[index];
    }
}

std::size_t minimumLineBytes(const SANE_Parameters& p, int channels) {
    return (std::size_t(p.pixels_per_line) * std::size_t(channels) * std::size_t(p.depth) +
            kBitsPerByte - 1) /
           kBitsPerByte;
}

int channelsOf(SANE_Frame format) {
    return format == SANE_FRAME_RGB ? kColourChannels : 1;
}

}  // namespace

bool PageAssembler::beginFrame(const SANE_Parameters& p, std::string* error) {
    const auto fail = [&](const char* reason) {
        if (error != nullptr) *error = reason;
        return false;
    };
    int slot = kGray;
    switch (p.format) {
        case SANE_FRAME_GRAY:
            slot = kGray;
            break;
        case SANE_FRAME_RGB:
            slot = kRgb;
            break;
        case SANE_FRAME_RED:
            slot = kRed;
            break;
        case SANE_FRAME_GREEN:
            slot = kGreen;
            break;
        case SANE_FRAME_BLUE:
            slot = kBlue;
            break;
        default:
            return fail("the scanner sends a frame format this program does not read");
    }
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) {
        return fail("the scanner sends a sample depth this program does not read");
    }
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 ||
        std::size_t(p.bytes_per_line) < minimumLineBytes(p, channelsOf(p.format))) {
        return fail("the scanner reports an impossible line size");
    }
    if (p.lines > 0 && std::int64_t(p.pixels_per_line) * p.lines > strovik::kMaxImagePixels) {
        return fail("the scanner reports a page larger than this program takes");
    }
    Frame& frame = frames_[std::size_t(slot)];
    frame.parameters = p;
    frame.bytes.clear();
    if (p.lines > 0) frame.bytes.reserve(std::size_t(p.bytes_per_line) * std::size_t(p.lines));
    frame.present = true;
    current_ = &frame;
    lastFrame_ = p.last_frame == SANE_TRUE;
    return true;
}

bool PageAssembler::append(const SANE_Byte* data, std::size_t length, std::string* error) {
    if (current_ == nullptr) return false;
    const std::size_t limit = std::size_t(strovik::kMaxImagePixels) * kMaxSampleBytes;
    if (length > limit - std::min(limit, current_->bytes.size())) {
        if (error != nullptr) *error = "the scanner sends more data than a page may hold";
        return false;
    }
    current_->bytes.insert(current_->bytes.end(), data, data + length);
    received_ += length;
    return true;
}

bool PageAssembler::endFrame() {
    current_ = nullptr;
    const bool allColours =
        frames_[kRed].present && frames_[kGreen].present && frames_[kBlue].present;
    return lastFrame_ || allColours;
}

std::size_t PageAssembler::lineCount(const Frame& frame) const {
    const std::size_t whole = frame.bytes.size() / std::size_t(frame.parameters.bytes_per_line);
    return frame.parameters.lines > 0 ? std::min(whole, std::size_t(frame.parameters.lines))
                                      : whole;
}

std::optional<strovik::Raster> PageAssembler::fromSingle(const Frame& frame,
                                                         std::string* error) const {
    const SANE_Parameters& p = frame.parameters;
    const std::size_t lines = lineCount(frame);
    if (lines == 0) {
        if (error != nullptr) *error = "the scanner sent no complete line";
        return std::nullopt;
    }
    const bool gray = p.format == SANE_FRAME_GRAY;
    strovik::Raster raster(p.pixels_per_line, int(lines));
    for (std::size_t y = 0; y < lines; ++y) {
        const SANE_Byte* line = frame.bytes.data() + y * std::size_t(p.bytes_per_line);
        std::uint8_t* out = raster.storedRow(int(lines - 1 - y));
        for (std::size_t x = 0; x < std::size_t(p.pixels_per_line); ++x, out += 3) {
            if (gray) {
                std::uint8_t value = sampleAt(line, x, p.depth);
                if (p.depth == 1) value = std::uint8_t(kWhite - value);  // a set bit is black
                out[0] = out[1] = out[2] = value;
            } else {
                out[2] = sampleAt(line, x * 3, p.depth);
                out[1] = sampleAt(line, x * 3 + 1, p.depth);
                out[0] = sampleAt(line, x * 3 + 2, p.depth);
            }
        }
    }
    return raster;
}

std::optional<strovik::Raster> PageAssembler::fromChannels(std::string* error) const {
    const Frame& red = frames_[kRed];
    const Frame& green = frames_[kGreen];
    const Frame& blue = frames_[kBlue];
    if (!red.present || !green.present || !blue.present) {
        if (error != nullptr) *error = "the scanner did not send all three colours of the page";
        return std::nullopt;
    }
    const int width = std::min({red.parameters.pixels_per_line, green.parameters.pixels_per_line,
                                blue.parameters.pixels_per_line});
    const std::size_t lines = std::min({lineCount(red), lineCount(green), lineCount(blue)});
    if (lines == 0) {
        if (error != nullptr) *error = "the scanner sent no complete line";
        return std::nullopt;
    }
    strovik::Raster raster(width, int(lines));
    const std::array<const Frame*, 3> bgr{&blue, &green, &red};
    for (std::size_t y = 0; y < lines; ++y) {
        std::uint8_t* out = raster.storedRow(int(lines - 1 - y));
        for (std::size_t c = 0; c < bgr.size(); ++c) {
            const SANE_Parameters& p = bgr[c]->parameters;
            const SANE_Byte* line = bgr[c]->bytes.data() + y * std::size_t(p.bytes_per_line);
            for (std::size_t x = 0; x < std::size_t(width); ++x) {
                out[x * 3 + c] = sampleAt(line, x, p.depth);
            }
        }
    }
    return raster;
}

std::optional<strovik::Raster> PageAssembler::finish(std::string* error) const {
    if (frames_[kRed].present || frames_[kGreen].present || frames_[kBlue].present) {
        return fromChannels(error);
    }
    for (Slot slot : {kRgb, kGray}) {
        if (frames_[slot].present) return fromSingle(frames_[slot], error);
    }
    if (error != nullptr) *error = "the scanner sent no page";
    return std::nullopt;
}

}  // namespace fenwary
