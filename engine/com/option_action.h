// The option actions of the engine's put_Options: one enum and the one table
// of their names. Text becomes an action once, where a BSTR action name
// enters the component (an unknown name is refused there); the engine
// session performs actions by enum, and clients name them by enum (the
// component client turns an action back into its name for the interface).
//
// Also here: the longest path the engine object holds, which clients keep to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace strovik {

/// Every action, in the order the engine has always tested them.
enum class OptionAction : std::uint8_t {
    ChkRotate,                   ///< RetValue = 1 when the last Run turned the image; ret = 0
    GetEditorDpiX,               ///< RetValue = the definition's DPI_X (-1 = none); ret = 0
    GetEditorDpiY,               ///< RetValue = the definition's DPI_Y; ret = 0
    GetDpiX,                     ///< ValueStr = an image: RetValue = JFIF X density or -1, ret 1/0
    GetDpiY,                     ///< as GetDpiX for the Y density
    GetSkewSize,                 ///< RetValue = skew size of the last Run (-1 = not measured)
    GetCenter3X,                 ///< RetValue = ZEROMARK3_X as the engine holds it
    GetCenter3Y,                 ///< RetValue = ZEROMARK3_Y likewise
    GetNoMarkMin1000,            ///< RetValue = no-mark minimum x 1000, truncated
    SetNoMarkMin1000,            ///< no-mark minimum = Value x 0.001
    GetNoMarkMinDots,            ///< RetValue = no-mark minimum dots
    SetNoMarkMinDots,            ///< no-mark minimum dots = Value
    GetMarkColorMin,             ///< RetValue = oval colour minimum
    SetMarkColorMin,             ///< oval colour minimum = Value
    SetDebugFilename,            ///< diagnostic-image path = ValueStr (empty: none)
    GetMultiQuestions,           ///< RetValue = count, RetValueStr = the QUESTIONS text
    GetMultiDotsPerQuestion,     ///< RetValueStr = dot string of multi-answer entry Value
    GetDiffZeroX,                ///< RetValue = sheet offset x
    GetDiffZeroY,                ///< RetValue = sheet offset y
    SetImageAreaJpegFile,        ///< image-area base path = ValueStr (empty: no crops)
    SetImageScaleRatePercent,    ///< crop scale = Value x 0.01
    SetImageSharpenRate,         ///< crop sharpen rate = Value
    GetImageAreaCount,           ///< RetValue = number of image areas
    SetMultiMarkedMultiply1000,  ///< multi-marked multiply = Value x 0.001
    GetMarkedCounts,             ///< RetValueStr = marked count per question, comma-joined
    GetDefinitionProblem,        ///< RetValue = 1 and RetValueStr = why, when the definition
                                 ///< was refused as a whole; else 0 and empty
};

inline constexpr std::size_t kOptionActionCount =
    std::size_t(OptionAction::GetDefinitionProblem) + 1;

/// The names, by action: what put_Options compares its Action text with
/// (exactly, case included).
inline constexpr std::array<std::string_view, kOptionActionCount> kOptionActionNames{
    "chk_rotate",
    "get_editor_dpi_x",
    "get_editor_dpi_y",
    "get_dpi_x",
    "get_dpi_y",
    "get_skew_size",
    "get_center3_x",
    "get_center3_y",
    "get_nomarkmin_1000",
    "set_nomarkmin_1000",
    "get_nomarkmin_dots",
    "set_nomarkmin_dots",
    "get_markcolormin",
    "set_markcolormin",
    "set_debug_filename",
    "get_multi_questions",
    "get_multi_dots_per_question",
    "get_diffzero_x",
    "get_diffzero_y",
    "set_imagearea_jpeg_file",
    "set_imagescale_rate_percent",
    "set_imagesharpen_rate",
    "get_imagearea_count",
    "set_multi_marked_multiply_1000",
    "get_marked_counts",
    "get_definition_problem",
};

constexpr std::string_view optionActionName(OptionAction action) {
    return kOptionActionNames[std::size_t(action)];
}

/// The action named `name` exactly; nullopt for any other text.
constexpr std::optional<OptionAction> optionActionFromName(std::string_view name) {
    for (std::size_t i = 0; i < kOptionActionCount; ++i) {
        if (kOptionActionNames[i] == name) return OptionAction(i);
    }
    return std::nullopt;
}

/// Out-parameters of an option action: RetValue, RetValueStr and the final
/// status. An action writes only what it defines; the rest keeps what the
/// caller put in.
struct OptionOutputs {
    std::int32_t retValue = 0;
    std::string retValueStr;
    std::int32_t ret = 0;
};

/// The longest path (in bytes of UTF-8) the engine object holds; a longer
/// one would be cut, so clients keep to it.
inline constexpr std::size_t kMaxEnginePath = 259;

}  // namespace strovik
