// The sheet definition file, in one place: its keys and their defaults, the
// limits of what the suite holds, reading with the profile rules, writing a
// whole new file, and rewriting an existing file with the fewest changes.
// The engine's reader and write-back, the editor's import and save and the
// sheet generator all go through here.
//
// Format: CP932 text with CR LF line ends; sections [ZEROMARK], [MARK],
// [IMAGEAREA], [MULTI] and [SYSTEM]; numbered entries "MARK%d=question,
// choice,x,y" and "IMAGEAREA%d=" with eight corner coordinates, read from
// index 0 up to the first missing index. Coordinates are sheet pixels.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/profile_file.h"

namespace strovik {

// ---- Limits ------------------------------------------------------------------

/// What the engine holds when it reads a definition. A MARK entry naming a
/// question or choice index at or past these, or a table of more than
/// kMaxMarkSlots questions times choices, makes the whole definition refused.
inline constexpr int kMaxQuestions = 100000;
inline constexpr int kMaxChoices = 100;
inline constexpr std::size_t kMaxMarkSlots = 2'000'000;
/// IMAGEAREA entries from index kMaxImageAreas on are not seen.
inline constexpr int kMaxImageAreas = 1000;

/// What the editor holds (mark records, questions, image areas); the
/// generator keeps to the same question and area counts. Any definition
/// within these and kMaxChoices is within what the engine holds.
inline constexpr int kMaxWrittenMarks = 10100;
inline constexpr int kMaxWrittenQuestions = 10100;
inline constexpr int kMaxWrittenAreas = 100;
static_assert(std::size_t(kMaxWrittenQuestions) * kMaxChoices <= kMaxMarkSlots);
static_assert(kMaxWrittenQuestions <= kMaxQuestions && kMaxWrittenAreas <= kMaxImageAreas);

/// Sizes the editor accepts from its dialogs, and the floor of its size keys.
inline constexpr int kMinDialogSize = 4;
inline constexpr int kMaxOvalSize = 99;
inline constexpr int kMaxZeroRadius = 999;
inline constexpr int kMinKeyedSize = 5;

// ---- Defaults ------------------------------------------------------------------

inline constexpr int kDefaultZeroRadius = 14;
inline constexpr int kDefaultOvalWidth = 36;
inline constexpr int kDefaultOvalHeight = 66;
/// The resolution the default sizes above belong to.
inline constexpr int kReferenceDpi = 300;

// ---- Content -------------------------------------------------------------------

struct DefinitionPoint {
    int x = -1;
    int y = -1;
    friend bool operator==(const DefinitionPoint&, const DefinitionPoint&) = default;
};

/// One MARK entry: 0-based question and choice, the oval's centre.
struct DefinitionMark {
    int question = 0;
    int choice = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const DefinitionMark&, const DefinitionMark&) = default;
};

/// Corners top-left, top-right, bottom-right, bottom-left.
using DefinitionArea = std::array<DefinitionPoint, 4>;

/// Everything a definition file says, with each key's default where the
/// file says nothing.
struct DefinitionContent {
    // [ZEROMARK]
    int zeroMarkRadius = kDefaultZeroRadius;
    std::array<DefinitionPoint, 3> zeroMarks{{{272, 3257}, {2334, 3245}, {-1, -1}}};
    int zeroMarkColorMin = 150;
    double zeroMarkRate = 0.5;
    // [MARK]: full oval sizes as written
    int ovalWidth = kDefaultOvalWidth;
    int ovalHeight = kDefaultOvalHeight;
    int ovalColorMin = 100;
    int ovalColorMax = 200;
    double noMarkMin = 2.0;
    int noMarkMinDots = 10;
    double multiMarkedMultiply = 2.0;
    std::vector<DefinitionMark> marks;  ///< well-formed entries, in index order
    // [IMAGEAREA]
    std::vector<DefinitionArea> areas;
    // [MULTI]
    std::vector<int> multiQuestions;  ///< QUESTIONS, in list order
    // [SYSTEM]
    int dpiX = -1;  ///< -1: not available
    int dpiY = -1;
    std::string debugPath;  ///< as in the file (CP932); empty = none

    friend bool operator==(const DefinitionContent&, const DefinitionContent&) = default;
};

// ---- Keys ----------------------------------------------------------------------

enum class KeyType {
    Integer,  ///< "%d"; missing gives the default
    Real,     ///< read like atof from the text or the default text
    Dpi,      ///< read as text: missing or empty gives -1
    List,     ///< comma-separated integers, empty items skipped
    Text,     ///< raw text; missing gives ""
};

struct DefinitionKey {
    const char* section;
    const char* name;
    KeyType type;
};

/// Every single-valued key, in the order a new file lists them (the ones a
/// new file leaves out come after the written ones of their section).
const std::vector<DefinitionKey>& definitionKeys();

/// A key's value as the text after "=" when this module writes it.
std::string keyText(const DefinitionContent& content, const DefinitionKey& key);

/// Sets a key from a file's value text (nullopt: the key is missing).
void setKeyFromText(DefinitionContent& content, const DefinitionKey& key,
                    const std::optional<std::string>& text);

// ---- Reading -------------------------------------------------------------------

/// A MARK entry beyond what the engine holds.
struct LimitViolation {
    enum class Kind { Index, Slots };
    Kind kind = Kind::Index;
    int entry = 0;     ///< the MARK number (Index)
    int question = 0;  ///< question index (Index) or question count (Slots)
    int choice = 0;    ///< choice index (Index) or choice count (Slots)
};

struct ParsedDefinition {
    DefinitionContent content;
    bool hasZeroMarkSection = false;
    bool hasMarkSection = false;
    bool hasMarkEntries = false;    ///< [MARK] exists and has lines
    std::string multiQuestionsRaw;  ///< QUESTIONS exactly as written
    int malformedMarks = 0;         ///< MARK entries passed over
    int malformedAreas = 0;         ///< IMAGEAREA entries with missing numbers
    /// Set when the marks exceed what the engine holds.
    std::optional<LimitViolation> violation;
};

/// Reads a definition with the profile rules. MARK entries without four
/// numbers or with a negative index are passed over; IMAGEAREA entries take
/// 0 for missing numbers; at most kMaxQuestions QUESTIONS items are taken.
ParsedDefinition parseDefinition(const velmora::ProfileText& text);

/// The first way the marks exceed what the engine holds (entries numbered
/// by position), or nullopt.
std::optional<LimitViolation> limitViolation(const std::vector<DefinitionMark>& marks);

/// Engine-style one-line description of a violation.
std::string describeViolation(const LimitViolation& violation);

// ---- Writing -------------------------------------------------------------------

/// A whole new file: the comment block, [ZEROMARK] (radius, the three zero
/// marks, colour minimum, rate as "%f"), [MARK] (the two sizes, the colour
/// range, the entries numbered from 0), [IMAGEAREA], [MULTI] and [SYSTEM]
/// (DPI_X, DPI_Y, an empty DEBUG), two empty lines between sections. The
/// thresholds no writer edits (OVALMARK_NOMARK_MIN and the like) are left
/// out.
std::string newDefinitionBytes(const DefinitionContent& content);

/// `base` (a file read as `before`) rewritten to say `after`: keys whose
/// value did not change, comments, unknown keys, spacing and line ends stay
/// byte for byte; a changed key is rewritten in place (or added to its
/// section); changed MARK or IMAGEAREA lists replace the old entries where
/// the first of them stood. Equal contents give `base` unchanged.
std::string updatedDefinitionBytes(const std::string& base, const DefinitionContent& before,
                                   const DefinitionContent& after);

/// The keys the engine writes back after a run, in order, as it writes
/// them: the [ZEROMARK] keys (rate in formatZeroMarkRate) and the oval
/// sizes and colour range of [MARK].
std::vector<std::pair<std::string, std::string>> writeBackValues(const DefinitionContent& content,
                                                                 const char* section);

/// Sets the written-back keys of both sections in `text`, [ZEROMARK] first.
void setWriteBackValues(velmora::ProfileText& text, const DefinitionContent& content);

/// ZEROMARK_RATE as written back: shortest form with at most 7 significant
/// digits, trailing zeros removed but the decimal point kept ("0.5", "1.").
std::string formatZeroMarkRate(double rate);

// ---- Entry helpers -------------------------------------------------------------

/// Values of the consecutive numbered entries "<prefix><n>=" from index 0:
/// for each n the first line that contains the key text (anywhere in the
/// line, case-sensitive) gives the text after it; at most `limit` entries.
std::vector<std::string> numberedEntries(const std::vector<std::string>& lines,
                                         std::string_view prefix, int limit);

/// Parses up to `count` integers written as "%d,%d,...": blanks may precede a
/// number, the commas must follow the numbers directly. Values beyond the int
/// range saturate. Returns how many were parsed.
int parseIntList(std::string_view text, int* out, int count);

}  // namespace strovik
