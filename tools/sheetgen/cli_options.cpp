#include "tools/sheetgen/cli_options.h"

#include <array>
#include <functional>
#include <map>

#include "engine/recognition/definition_format.h"
#include "tools/cli/option_table.h"

namespace sheetgen {
namespace {

constexpr int kMaxCount = 100000;
constexpr int kMinDpi = 50;
constexpr int kMaxDpi = 1200;
// A generated definition stays within what the editor writes and the engine
// reads; the help texts below name these numbers.
constexpr int kMaxQuestions = strovik::kMaxWrittenQuestions;
constexpr int kMaxChoices = strovik::kMaxChoices;
constexpr int kMaxAreas = strovik::kMaxWrittenAreas;
static_assert(kMaxQuestions == 10100 && kMaxChoices == 100 && kMaxAreas == 100);
constexpr double kMaxAngleDeg = 45.0;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool intIn(const std::string& text, long long lo, long long hi, int& out) {
    const auto v = velmora::cli::wholeNumber(text);
    if (!v || *v < lo || *v > hi) return false;
    out = static_cast<int>(*v);
    return true;
}

bool realIn(const std::string& text, double lo, double hi, double& out) {
    const auto v = velmora::cli::realNumber(text);
    if (!v || *v < lo || *v > hi) return false;
    out = *v;
    return true;
}

bool parseFormat(const std::string& text, Format& out) {
    static const std::map<std::string, Format> kNames = {
        {"jpeg", Format::Jpeg}, {"jpg", Format::Jpeg},  {"bmp", Format::Bmp}, {"gif", Format::Gif},
        {"png", Format::Png},   {"tiff", Format::Tiff}, {"tif", Format::Tiff}};
    const auto it = kNames.find(text);
    if (it == kNames.end()) return false;
    out = it->second;
    return true;
}

bool parseMulti(const std::string& text, std::vector<int>& out) {
    out.clear();
    for (const std::string& part : split(text, ',')) {
        int q = 0;
        if (!intIn(part, 0, kMaxQuestions - 1, q)) return false;
        out.push_back(q);
    }
    return true;
}

bool parseShift(const std::string& text, std::optional<Pt>& out) {
    const auto parts = split(text, ',');
    Pt p;
    if (parts.size() != 2 || !intIn(parts[0], -10000, 10000, p.x) ||
        !intIn(parts[1], -10000, 10000, p.y)) {
        return false;
    }
    out = p;
    return true;
}

// N=X,Y,DEG or N=X,Y,DEG,flip
bool parseOverride(const std::string& text, std::vector<SheetOverride>& out) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) return false;
    SheetOverride o;
    const auto parts = split(text.substr(eq + 1), ',');
    if (!intIn(text.substr(0, eq), 1, kMaxCount, o.sheet) || parts.size() < 3 || parts.size() > 4 ||
        !intIn(parts[0], -10000, 10000, o.shiftX) || !intIn(parts[1], -10000, 10000, o.shiftY) ||
        !realIn(parts[2], -kMaxAngleDeg, kMaxAngleDeg, o.angleDeg)) {
        return false;
    }
    if (parts.size() == 4) {
        if (parts[3] != "flip") return false;
        o.upsideDown = true;
    }
    out.push_back(o);
    return true;
}

using Setter = std::function<bool(CliOptions&, const std::string&)>;

/// One option: its name, value name, help, what its value must be, and
/// where the value goes (false when it is not acceptable).
struct OptionRow {
    const char* name;
    const char* valueName;
    const char* help;
    const char* expected;
    Setter set;
    bool repeatable = false;
};

const std::vector<OptionRow>& rows() {
    static const std::vector<OptionRow> kRows = {
        {"--out", "DIR", "the folder to write (required)", "a folder",
         [](CliOptions& o, const std::string& v) {
             o.outDir = v;
             return !v.empty();
         }},
        {"--count", "N", "sheets to write (10)", "1 to 100000",
         [](CliOptions& o, const std::string& v) { return intIn(v, 1, kMaxCount, o.count); }},
        {"--dpi", "D", "resolution (300)", "50 to 1200",
         [](CliOptions& o, const std::string& v) {
             return intIn(v, kMinDpi, kMaxDpi, o.layout.dpi);
         }},
        {"--questions", "Q", "questions (20)", "1 to 10100",
         [](CliOptions& o, const std::string& v) {
             return intIn(v, 1, kMaxQuestions, o.layout.questions);
         }},
        {"--choices", "C", "choices per question (5)", "1 to 100",
         [](CliOptions& o, const std::string& v) {
             return intIn(v, 1, kMaxChoices, o.layout.choices);
         }},
        {"--columns", "K", "question blocks side by side (2, more if needed)", "1 to 50",
         [](CliOptions& o, const std::string& v) { return intIn(v, 1, 50, o.layout.columns); }},
        {"--areas", "A", "writing fields above the questions (0)", "0 to 100",
         [](CliOptions& o, const std::string& v) {
             return intIn(v, 0, kMaxAreas, o.layout.imageAreas);
         }},
        {"--multi", "3,7", "0-based questions that accept several marks",
         "question numbers joined by commas",
         [](CliOptions& o, const std::string& v) {
             return parseMulti(v, o.layout.multiQuestions);
         }},
        {"--format", "F", "jpeg, bmp, gif, png or tiff (jpeg)", "jpeg, bmp, gif, png or tiff",
         [](CliOptions& o, const std::string& v) { return parseFormat(v, o.format); }},
        {"--quality", "Q", "JPEG quality 1..100 (75)", "1 to 100",
         [](CliOptions& o, const std::string& v) { return intIn(v, 1, 100, o.quality); }},
        {"--seed", "S", "seed of all random choices (1)", "0 to 2147483647",
         [](CliOptions& o, const std::string& v) {
             int s = 0;
             if (!intIn(v, 0, 2147483647, s)) return false;
             o.seed = static_cast<std::uint32_t>(s);
             return true;
         }},
        {"--shift", "X,Y", "move every sheet by X,Y pixels", "X,Y",
         [](CliOptions& o, const std::string& v) { return parseShift(v, o.shift); }},
        {"--angle", "DEG", "turn every sheet by DEG degrees", "-45 to 45",
         [](CliOptions& o, const std::string& v) {
             double a = 0;
             if (!realIn(v, -kMaxAngleDeg, kMaxAngleDeg, a)) return false;
             o.angleDeg = a;
             return true;
         }},
        {"--upside-down-every", "N", "turn every Nth sheet by 180 degrees (0 = none)",
         "0 to 100000",
         [](CliOptions& o, const std::string& v) {
             return intIn(v, 0, kMaxCount, o.upsideDownEvery);
         }},
        {"--jitter-every", "N",
         "small random shift and turn on every Nth sheet, unless --shift/--angle are given (3; "
         "0 = none)",
         "0 to 100000",
         [](CliOptions& o, const std::string& v) { return intIn(v, 0, kMaxCount, o.jitterEvery); }},
        {"--distort", "N=X,Y,DEG[,flip]", "exact distortion of sheet N (repeatable)",
         "N=X,Y,DEG[,flip]",
         [](CliOptions& o, const std::string& v) { return parseOverride(v, o.overrides); }, true},
        {"--noise", "SIGMA", "grey noise standard deviation (2)", "0 to 100",
         [](CliOptions& o, const std::string& v) { return realIn(v, 0.0, 100.0, o.noise); }},
        {"--blur", "R", "blur radius in pixels (0)", "0 to 50",
         [](CliOptions& o, const std::string& v) { return realIn(v, 0.0, 50.0, o.blur); }},
        {"--prefix", "NAME", "file name prefix (sheet)", "a name without \"/\"",
         [](CliOptions& o, const std::string& v) {
             o.prefix = v;
             return v.find('/') == std::string::npos;
         }},
    };
    return kRows;
}

constexpr std::size_t kOptionCount = 19;

/// The table with every option bound to its words.
struct Words {
    Words()
        : table("usage: velmora-sheetgen --out DIR [options]\n",
                "Writes DIR/sheet.ini (the definition), DIR/images/<prefix>NNN.<ext> (the "
                "sheets)\nand DIR/truth/<prefix>NNN.json (what each sheet should read as).\n",
                "") {
        for (std::size_t i = 0; i < kOptionCount; ++i) {
            const OptionRow& row = rows().at(i);
            const Setter& set = row.set;
            const velmora::cli::ValueCheck check = velmora::cli::ValueCheck::custom(
                [&set](const std::string& v) {
                    CliOptions scratch;
                    return set(scratch, v);
                },
                row.expected);
            if (row.repeatable) {
                table.values(row.name, row.valueName, row.help, check, values[i]);
            } else {
                table.value(row.name, row.valueName, row.help, check, texts[i]);
            }
        }
    }

    std::array<std::string, kOptionCount> texts;
    std::array<std::vector<std::string>, kOptionCount> values;
    velmora::cli::OptionTable table;
};

}  // namespace

CliParse parseCli(const std::vector<std::string>& args) {
    CliParse result;
    Words words;
    const velmora::cli::OptionTable::Outcome outcome = words.table.parse(args);
    using Kind = velmora::cli::OptionTable::Outcome::Kind;
    if (outcome.kind == Kind::Help) {
        result.help = true;
        return result;
    }
    if (outcome.kind == Kind::Error) {
        result.error = outcome.error;
        return result;
    }
    CliOptions options;
    for (std::size_t i = 0; i < rows().size(); ++i) {
        const OptionRow& row = rows()[i];
        if (!row.repeatable && !words.texts[i].empty()) row.set(options, words.texts[i]);
        for (const std::string& value : words.values[i]) row.set(options, value);
    }
    if (options.outDir.empty()) {
        result.error = "--out DIR is required";
        return result;
    }
    result.options = options;
    return result;
}

std::string cliUsage() {
    return Words().table.help();
}

}  // namespace sheetgen
