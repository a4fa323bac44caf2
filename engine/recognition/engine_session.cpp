#include "engine/recognition/engine_session.h"

#include <cstdio>
#include <map>

#include "engine/image/jfif_density.h"

namespace strovik {
namespace {

/// Cuts to at most `limit` bytes without splitting a UTF-8 character.
std::string heldPath(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

std::int32_t truncated(double v) {
    if (!(v > -2147483648.0)) return v != v ? 0 : INT32_MIN;
    if (!(v < 2147483647.0)) return INT32_MAX;
    return std::int32_t(v);
}

}  // namespace

std::int32_t EngineSession::putImageFilename(std::string_view path) {
    imagePath_ = heldPath(path, kMaxPath);
    return 0;
}

std::int32_t EngineSession::putIniFilename(std::string_view path) {
    definitionPath_ = heldPath(path, kMaxPath);
    core_->readDefinition(definitionPath_);
    return 0;
}

std::int32_t EngineSession::run() {
    return core_->run(imagePath_, definitionPath_, rotated_, [this](int q, int c) {
        if (notifyWindow_ != 0 && notifyMessage_ != 0 && sink_) {
            sink_(notifyWindow_, notifyMessage_, q, c);
        }
    });
}

void EngineSession::putNotify(std::int32_t window, std::int32_t message) {
    notifyWindow_ = window;
    notifyMessage_ = std::uint32_t(message);
}

std::int32_t EngineSession::getResult(std::string& resultStr, std::string& reliabilityStr) const {
    resultStr = core_->answersText();
    reliabilityStr = core_->reliabilityText();
    return 0;
}

void EngineSession::putOptions(std::string_view action, std::int32_t value,
                               std::string_view valueStr, OptionOutputs& out) {
    SheetDefinition& def = core_->definition();
    CropOptions& crop = core_->cropOptions();
    const Alignment& align = core_->alignment();
    const QuestionResults& results = core_->results();

    auto dpi = [&](bool x) {
        const auto d = readJfifDensity(std::string(valueStr));
        out.retValue = d ? (x ? d->x : d->y) : -1;
        out.ret = d ? 1 : 0;
    };

    if (action == "chk_rotate") {
        out.retValue = rotated_;
        out.ret = 0;
    } else if (action == "get_editor_dpi_x") {
        out.retValue = def.editorDpiX;
        out.ret = 0;
    } else if (action == "get_editor_dpi_y") {
        out.retValue = def.editorDpiY;
        out.ret = 0;
    } else if (action == "get_dpi_x") {
        dpi(true);
    } else if (action == "get_dpi_y") {
        dpi(false);
    } else if (action == "get_skew_size") {
        out.retValue = align.skew;
    } else if (action == "get_center3_x") {
        out.retValue = def.zeroMarks[2].x;
    } else if (action == "get_center3_y") {
        out.retValue = def.zeroMarks[2].y;
    } else if (action == "get_nomarkmin_1000") {
        out.retValue = truncated(def.noMarkMin * 1000);
    } else if (action == "set_nomarkmin_1000") {
        def.noMarkMin = value * 0.001;
    } else if (action == "get_nomarkmin_dots") {
        out.retValue = def.noMarkMinDots;
    } else if (action == "set_nomarkmin_dots") {
        def.noMarkMinDots = value;
    } else if (action == "get_markcolormin") {
        out.retValue = def.ovalColorMin;
    } else if (action == "set_markcolormin") {
        def.ovalColorMin = value;
    } else if (action == "set_debug_filename") {
        def.debugPath = heldPath(valueStr, kMaxPath);
    } else if (action == "get_multi_questions") {
        if (def.multiRead) {
            out.retValue = std::int32_t(def.multiQuestions.size());
            out.retValueStr = def.multiQuestionsText;
        }
    } else if (action == "get_multi_dots_per_question") {
        const bool known = value >= 0 && std::size_t(value) < results.dots.size();
        out.retValueStr = known ? results.dots[std::size_t(value)] : std::string();
    } else if (action == "get_diffzero_x") {
        out.retValue = align.offsetX;
    } else if (action == "get_diffzero_y") {
        out.retValue = align.offsetY;
    } else if (action == "set_imagearea_jpeg_file") {
        crop.imageAreaBasePath = heldPath(valueStr, kMaxPath);
    } else if (action == "set_imagescale_rate_percent") {
        crop.scaleRate = value * 0.01;
    } else if (action == "set_imagesharpen_rate") {
        crop.sharpenRate = value;
    } else if (action == "get_imagearea_count") {
        out.retValue = std::int32_t(def.imageAreas.size());
    } else if (action == "set_multi_marked_multiply_1000") {
        def.multiMarkedMultiply = value * 0.001;
    } else if (action == "get_marked_counts") {
        out.retValueStr = core_->markedCountsText();
    } else if (action == "get_definition_problem") {
        out.retValue = def.refusal.empty() ? 0 : 1;
        out.retValueStr = def.refusal;
    }
}

}  // namespace strovik
