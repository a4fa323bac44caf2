#include "engine/recognition/engine_session.h"

#include <array>
#include <cstdio>
#include <vector>

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

/// What an option handler works on: the session, its engine's state and the
/// call's inputs.
struct EngineSession::OptionCall {
    EngineSession& session;
    std::int32_t value;
    std::string_view valueStr;

    SheetDefinition& def() const { return session.core_->definition(); }
    CropOptions& crop() const { return session.core_->cropOptions(); }
    const Alignment& align() const { return session.core_->alignment(); }
    const EngineCore& core() const { return *session.core_; }
};

namespace {

void density(std::string_view image, bool x, OptionOutputs& out) {
    const auto d = readJfifDensity(std::string(image));
    out.retValue = d ? (x ? d->x : d->y) : -1;
    out.ret = d ? 1 : 0;
}

template <typename Table>
constexpr bool inEnumOrder(const Table& table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (std::size_t(table[i].action) != i) return false;
    }
    return true;
}

}  // namespace

const std::array<EngineSession::OptionEntry, kOptionActionCount>& EngineSession::optionTable() {
    using A = OptionAction;
    using C = const OptionCall&;
    using O = OptionOutputs&;
    // One entry per action, in the enum's order (checked below).
    static constexpr std::array<OptionEntry, kOptionActionCount> table{{
        {A::ChkRotate,
         [](C c, O o) {
             o.retValue = c.session.rotated_;
             o.ret = 0;
         }},
        {A::GetEditorDpiX,
         [](C c, O o) {
             o.retValue = c.def().editorDpiX;
             o.ret = 0;
         }},
        {A::GetEditorDpiY,
         [](C c, O o) {
             o.retValue = c.def().editorDpiY;
             o.ret = 0;
         }},
        {A::GetDpiX, [](C c, O o) { density(c.valueStr, true, o); }},
        {A::GetDpiY, [](C c, O o) { density(c.valueStr, false, o); }},
        {A::GetSkewSize, [](C c, O o) { o.retValue = c.align().skew; }},
        {A::GetCenter3X, [](C c, O o) { o.retValue = c.def().zeroMarks[2].x; }},
        {A::GetCenter3Y, [](C c, O o) { o.retValue = c.def().zeroMarks[2].y; }},
        {A::GetNoMarkMin1000, [](C c, O o) { o.retValue = truncated(c.def().noMarkMin * 1000); }},
        {A::SetNoMarkMin1000, [](C c, O) { c.def().noMarkMin = c.value * 0.001; }},
        {A::GetNoMarkMinDots, [](C c, O o) { o.retValue = c.def().noMarkMinDots; }},
        {A::SetNoMarkMinDots, [](C c, O) { c.def().noMarkMinDots = c.value; }},
        {A::GetMarkColorMin, [](C c, O o) { o.retValue = c.def().ovalColorMin; }},
        {A::SetMarkColorMin, [](C c, O) { c.def().ovalColorMin = c.value; }},
        {A::SetDebugFilename, [](C c, O) { c.def().debugPath = heldPath(c.valueStr, kMaxPath); }},
        {A::GetMultiQuestions,
         [](C c, O o) {
             // Nothing before any definition was read.
             if (!c.def().multiRead) return;
             o.retValue = std::int32_t(c.def().multiQuestions.size());
             o.retValueStr = c.def().multiQuestionsText;
         }},
        {A::GetMultiDotsPerQuestion, [](C c, O o) { o.retValueStr = c.core().dotsText(c.value); }},
        {A::GetDiffZeroX, [](C c, O o) { o.retValue = c.align().offsetX; }},
        {A::GetDiffZeroY, [](C c, O o) { o.retValue = c.align().offsetY; }},
        {A::SetImageAreaJpegFile,
         [](C c, O) { c.crop().imageAreaBasePath = heldPath(c.valueStr, kMaxPath); }},
        {A::SetImageScaleRatePercent, [](C c, O) { c.crop().scaleRate = c.value * 0.01; }},
        {A::SetImageSharpenRate, [](C c, O) { c.crop().sharpenRate = c.value; }},
        {A::GetImageAreaCount,
         [](C c, O o) { o.retValue = std::int32_t(c.def().imageAreas.size()); }},
        {A::SetMultiMarkedMultiply1000,
         [](C c, O) { c.def().multiMarkedMultiply = c.value * 0.001; }},
        {A::GetMarkedCounts, [](C c, O o) { o.retValueStr = c.core().markedCountsText(); }},
        {A::GetDefinitionProblem,
         [](C c, O o) {
             o.retValue = c.def().refusal.empty() ? 0 : 1;
             o.retValueStr = c.def().refusal;
         }},
    }};
    static_assert(inEnumOrder(table), "one entry per action, in the enum's order");
    return table;
}

void EngineSession::putOptions(OptionAction action, std::int32_t value, std::string_view valueStr,
                               OptionOutputs& out) {
    const OptionEntry& entry = optionTable()[std::size_t(action)];
    entry.handler(OptionCall{*this, value, valueStr}, out);
}

}  // namespace strovik
