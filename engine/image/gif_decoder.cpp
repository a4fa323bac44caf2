// GIF through giflib: the first frame only, drawn at its offset on a white
// logical screen; transparent pixels stay white.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/image/decoders.h"
#include "engine/image/image_loader.h"

namespace strovik::detail {

namespace {

constexpr std::int64_t kPixelsPerFileByte = 4096;
constexpr std::int64_t kPixelAllowance = 1'000'000;
constexpr std::uint8_t kWhite = 255;
constexpr int kGraphicControlBytes = 4;
constexpr int kTransparentFlag = 0x01;
constexpr int kNoTransparency = -1;

struct MemorySource {
    Bytes bytes;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int wanted) {
    auto* source = static_cast<MemorySource*>(gif->UserData);
    const std::size_t left = source->bytes.size() - source->pos;
    const std::size_t count = std::min(left, std::size_t(wanted > 0 ? wanted : 0));
    if (count > 0) std::memcpy(out, source->bytes.data() + source->pos, count);
    source->pos += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

std::string gifError(int code) {
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text != nullptr ? text : "decoding failed");
}

// Reads one extension; a Graphic Control Extension may name a transparent
// colour index for the next image.
bool readExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= kGraphicControlBytes) {
        transparent = (block[1] & kTransparentFlag) != 0 ? block[4] : kNoTransparency;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    }
    return true;
}

// Image rows in the order they appear in the file.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(std::size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    constexpr int kStarts[] = {0, 4, 2, 1};
    constexpr int kSteps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStarts[pass]; y < height; y += kSteps[pass]) order.push_back(y);
    }
    return order;
}

struct Frame {
    int left, top, width, height;
    const ColorMapObject* colors;
    int transparent;
};

void drawLine(Raster& raster, const Frame& frame, int frameY,
              const std::vector<GifPixelType>& line) {
    const int y = frame.top + frameY;
    if (y < 0 || y >= raster.height()) return;
    std::uint8_t* row = imageRow(raster, y);
    const int end = std::min(frame.width, raster.width() - frame.left);
    for (int x = 0; x < end; ++x) {
        const int index = line[std::size_t(x)];
        if (index == frame.transparent) continue;
        std::uint8_t* p = row + std::size_t(frame.left + x) * Raster::kBytesPerPixel;
        if (index >= frame.colors->ColorCount) {
            p[0] = p[1] = p[2] = 0;
            continue;
        }
        const GifColorType& c = frame.colors->Colors[index];
        p[0] = c.Blue;
        p[1] = c.Green;
        p[2] = c.Red;
    }
}

bool readFrame(GifFileType* gif, const Frame& frame, Raster& raster) {
    std::vector<GifPixelType> line(std::size_t(frame.width));
    for (int frameY : rowOrder(frame.height, gif->Image.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.width) != GIF_OK) return false;
        drawLine(raster, frame, frameY, line);
    }
    return true;
}

std::optional<Raster> decodeFirstImage(GifFileType* gif, std::int64_t limit, std::string& error) {
    int transparent = kNoTransparency;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) != GIF_OK) break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!readExtension(gif, transparent)) break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            error = "GIF: file holds no image";
            return std::nullopt;
        }
        if (DGifGetImageDesc(gif) != GIF_OK) break;
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* colors = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
        if (colors == nullptr) {
            error = "GIF: image has no colour map";
            return std::nullopt;
        }
        if (!checkImageSize(desc.Width, desc.Height, limit, error)) {
            error = "GIF frame: " + error;
            return std::nullopt;
        }
        Raster raster(gif->SWidth, gif->SHeight);
        std::memset(raster.data(), kWhite, raster.sizeBytes());
        const Frame frame{desc.Left, desc.Top, desc.Width, desc.Height, colors, transparent};
        if (!readFrame(gif, frame, raster)) break;
        return raster;
    }
    error = gifError(gif->Error);
    return std::nullopt;
}

}  // namespace

std::optional<Raster> decodeGif(Bytes bytes, std::string& error) {
    MemorySource source{bytes};
    int code = 0;
    GifHandle gif(DGifOpen(&source, readFromMemory, &code));
    if (!gif) {
        error = gifError(code);
        return std::nullopt;
    }
    const std::int64_t limit =
        kPixelsPerFileByte * static_cast<std::int64_t>(bytes.size()) + kPixelAllowance;
    if (!checkImageSize(gif->SWidth, gif->SHeight, limit, error)) {
        error = "GIF: " + error;
        return std::nullopt;
    }
    return decodeFirstImage(gif.get(), limit, error);
}

}  // namespace strovik::detail
