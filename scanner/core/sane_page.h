// Assembling one page from the frames a SANE device sends: a grey or RGB
// frame, or three frames of one colour each (three-pass scanners), at 1, 8
// or 16 bits a sample, with the number of lines known in advance or not
// (hand scanners give -1). The result is the 24-bit page every writer
// takes. In grey frames of 1 bit a set bit is black (the opposite of a
// bitmap's usual palette); in colour frames a set bit is full intensity.
#pragma once

#include <sane/sane.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/image/raster.h"

namespace fenwary {

class PageAssembler {
public:
    /// Starts a frame with the parameters read after sane_start. False with
    /// a reason for a format, depth or size that cannot be taken (the page
    /// is then abandoned).
    bool beginFrame(const SANE_Parameters& parameters, std::string* error);

    /// Adds bytes read for the current frame. False when the frame grows
    /// beyond what a page may hold.
    bool append(const SANE_Byte* data, std::size_t length, std::string* error);

    /// True once the frames of a whole page arrived: the last frame was
    /// ended (its last_frame flag), or all three colours of a three-pass
    /// page.
    bool endFrame();

    /// Bytes received for the page so far.
    std::size_t bytesReceived() const { return received_; }

    /// The page in 24 bits (complete lines only); nullopt with a reason when
    /// not one line arrived.
    std::optional<strovik::Raster> finish(std::string* error) const;

private:
    struct Frame {
        SANE_Parameters parameters{};
        std::vector<SANE_Byte> bytes;
        bool present = false;
    };
    enum Slot { kGray = 0, kRed = 1, kGreen = 2, kBlue = 3, kRgb = 4, kSlots = 5 };

    std::size_t lineCount(const Frame& frame) const;
    std::optional<strovik::Raster> fromSingle(const Frame& frame, std::string* error) const;
    std::optional<strovik::Raster> fromChannels(std::string* error) const;

    std::array<Frame, kSlots> frames_{};
    Frame* current_ = nullptr;
    bool lastFrame_ = false;
    std::size_t received_ = 0;
};

}  // namespace fenwary
