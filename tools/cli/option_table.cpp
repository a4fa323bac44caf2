#include "tools/cli/option_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <system_error>

namespace velmora::cli {
namespace {

/// A number as the help and messages print it: whole numbers without a
/// fraction.
std::string numberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    std::ostringstream out;
    out << value;
    return out.str();
}

/// The help: our usage lines and description, CLI11's option groups, the
/// footer.
class HelpFormatter final : public CLI::Formatter {
public:
    HelpFormatter(std::string usage, std::string description)
        : usage_(std::move(usage)), description_(std::move(description)) {
        column_width(25);
    }

    std::string make_help(const CLI::App* app, std::string,
                          CLI::AppFormatMode mode) const override {
        std::string out = usage_ + "\n" + description_ + make_groups(app, mode) + app->get_footer();
        // One blank line between parts, however the groups end.
        for (std::size_t at = out.find("\n\n\n"); at != std::string::npos;
             at = out.find("\n\n\n")) {
            out.erase(at, 1);
        }
        return out;
    }
    /// The names, then the help wrapped in the second column.
    std::string make_option(const CLI::Option* opt, bool is_positional) const override {
        const std::size_t column = get_column_width();
        const std::string head =
            "  " + make_option_name(opt, is_positional) + make_option_opts(opt);
        std::string out = head;
        bool first = true;
        for (const std::string& line : wrapped(make_option_desc(opt), kWidth - column)) {
            if (first && head.size() + 1 <= column) {
                out += std::string(column - head.size(), ' ');
            } else {
                out += "\n" + std::string(column, ' ');
            }
            out += line;
            first = false;
        }
        return out + "\n";
    }
    std::string make_group(std::string group, bool,
                           std::vector<const CLI::Option*> opts) const override {
        std::string out = "\n" + group + ":\n";
        for (const CLI::Option* opt : opts) out += make_option(opt, false);
        return out;
    }
    std::string make_option_opts(const CLI::Option* opt) const override {
        return opt->get_type_name().empty() ? std::string() : " " + opt->get_type_name();
    }
    std::string make_option_name(const CLI::Option* opt, bool) const override {
        // "-d, --definition" and "--ten, --no-ten", as the tool always wrote them.
        std::string names;
        for (const std::string& s : opt->get_snames()) names += (names.empty() ? "-" : ", -") + s;
        for (const std::string& l : opt->get_lnames()) {
            names += (names.empty() ? "--" : ", --") + l;
        }
        for (const std::string& f : opt->get_fnames()) {
            if (f.starts_with("no-") &&
                std::find(opt->get_lnames().begin(), opt->get_lnames().end(), f) ==
                    opt->get_lnames().end()) {
                names += ", --" + f;
            }
        }
        // Options without a short name line up under the long names.
        return opt->get_snames().empty() ? "    " + names : names;
    }

private:
    static constexpr std::size_t kWidth = 79;

    /// `text` in lines of at most `width` characters, broken at blanks.
    static std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
        std::vector<std::string> lines;
        std::istringstream words(text);
        std::string line;
        for (std::string word; words >> word;) {
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                lines.push_back(line);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        if (!line.empty()) lines.push_back(line);
        return lines;
    }

    std::string usage_;
    std::string description_;
};

bool startsWithOption(const std::string& word) {
    return word.size() > 1 && word.front() == '-';
}

}  // namespace

ValueCheck ValueCheck::whole(long long lo, long long hi) {
    ValueCheck c;
    c.kind = Kind::Whole;
    c.lo = double(lo);
    c.hi = double(hi);
    return c;
}

ValueCheck ValueCheck::real(double lo, double hi) {
    ValueCheck c;
    c.kind = Kind::Real;
    c.lo = lo;
    c.hi = hi;
    return c;
}

ValueCheck ValueCheck::custom(std::function<bool(const std::string&)> accepts,
                              std::string expected) {
    ValueCheck c;
    c.kind = Kind::Custom;
    c.accepts = std::move(accepts);
    c.expected = std::move(expected);
    return c;
}

std::string ValueCheck::problem(const std::string& value) const {
    const std::string range = numberText(lo) + " to " + numberText(hi);
    switch (kind) {
        case Kind::Any:
            return {};
        case Kind::Whole: {
            const std::optional<long long> n = wholeNumber(value);
            return n && double(*n) >= lo && double(*n) <= hi ? std::string() : range;
        }
        case Kind::Real: {
            const std::optional<double> x = realNumber(value);
            if (!x) return "a number";
            return *x >= lo && *x <= hi ? std::string() : range;
        }
        case Kind::Custom:
            return accepts(value) ? std::string() : expected;
    }
    return {};
}

std::optional<long long> wholeNumber(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<double> realNumber(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

OptionTable::OptionTable(std::string usage, std::string description, std::string footer) {
    app_.formatter(std::make_shared<HelpFormatter>(std::move(usage), std::move(description)));
    app_.footer(std::move(footer));
    app_.set_help_flag("-h,--help", "show this help")->group(group_);
    app_.allow_extras();
    app_.positionals_at_end(false);
}

CLI::Option* OptionTable::place(CLI::Option* option, const std::string& valueName) {
    option->type_name(valueName);
    option->group(group_);
    return option;
}

CLI::Option* OptionTable::value(const std::string& names, const std::string& valueName,
                                const std::string& help, ValueCheck check, std::string& to) {
    CLI::Option* option = app_.add_option(names, to, help);
    option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    checked_.push_back({option, std::move(check)});
    return place(option, valueName);
}

CLI::Option* OptionTable::values(const std::string& names, const std::string& valueName,
                                 const std::string& help, ValueCheck check,
                                 std::vector<std::string>& to) {
    CLI::Option* option = app_.add_option(names, to, help);
    option->allow_extra_args(false);
    option->expected(1);
    option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    checked_.push_back({option, std::move(check)});
    return place(option, valueName);
}

CLI::Option* OptionTable::flag(const std::string& names, const std::string& help,
                               std::optional<bool>& to) {
    Flag& flag = flags_.emplace_back();
    flag.to = &to;
    flag.option = app_.add_flag(names, flag.value, help);
    flag.option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    flag.option->disable_flag_override();
    return place(flag.option, "");
}

void OptionTable::operands(std::vector<std::string>& to) {
    app_.add_option("operands", to)->group("");
}

bool OptionTable::wordGives(const std::string& word, const CLI::Option* option) const {
    if (word.starts_with("--")) {
        const std::string name = word.substr(2, word.find('=') - 2);
        return option->check_lname(name) || option->check_fname(name);
    }
    if (!startsWithOption(word)) return false;
    return option->check_sname(word.substr(1, 1));
}

std::optional<std::size_t> OptionTable::wordIndex(const CLI::Option* option,
                                                  std::size_t occurrence) const {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < args_.size(); ++i) {
        const std::string& word = args_[i];
        if (word == "--") break;
        const auto gives = std::find_if(checked_.begin(), checked_.end(), [&](const Checked& c) {
            return wordGives(word, c.option);
        });
        const bool valueInNextWord = gives != checked_.end() &&
                                     word.find('=') == std::string::npos &&
                                     (word.starts_with("--") || word.size() == 2);
        if (wordGives(word, option) && seen++ == occurrence) return i;
        if (valueInNextWord) ++i;  // the option's value, whatever it looks like
    }
    return std::nullopt;
}

std::string OptionTable::spellingOf(const CLI::Option* option, std::size_t occurrence) const {
    const std::optional<std::size_t> index = wordIndex(option, occurrence);
    if (!index) return {};
    const std::string& word = args_[*index];
    return word.starts_with("--") ? word.substr(0, word.find('=')) : word.substr(0, 2);
}

std::optional<std::string> OptionTable::firstBadValue() const {
    for (const Checked& c : checked_) {
        const std::vector<std::string>& results = c.option->results();
        for (std::size_t k = 0; k < results.size(); ++k) {
            const std::string expected = c.check.problem(results[k]);
            if (expected.empty()) continue;
            return "bad value for " + spellingOf(c.option, k) + ": '" + results[k] +
                   "' (expected " + expected + ")";
        }
    }
    return std::nullopt;
}

std::optional<std::string> OptionTable::flagWithValue() const {
    for (const std::string& word : args_) {
        if (word == "--") break;
        if (!word.starts_with("--") || word.find('=') == std::string::npos) continue;
        for (const Flag& flag : flags_) {
            if (wordGives(word, flag.option)) return "unknown option '" + word + "'";
        }
    }
    return std::nullopt;
}

OptionTable::Outcome OptionTable::parse(const std::vector<std::string>& args) {
    args_ = args;
    Outcome outcome;
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app_.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        outcome.kind = Outcome::Kind::Help;
        return outcome;
    } catch (const CLI::ArgumentMismatch&) {
        // A flag given a value, or an option at the end without one.
        if (const auto message = flagWithValue()) {
            outcome.error = *message;
        } else {
            outcome.error = "option " + args.back() + " needs a value";
        }
        return outcome;
    } catch (const CLI::ParseError& e) {
        outcome.error = e.what();
        return outcome;
    }
    std::vector<std::string> extras = app_.remaining();
    // CLI11 keeps the "--" that ended the options among the words it did
    // not take.
    std::erase(extras, std::string("--"));
    if (!extras.empty()) {
        const std::string& word = extras.front();
        outcome.error =
            (startsWithOption(word) ? "unknown option '" : "unexpected argument '") + word + "'";
        return outcome;
    }
    if (const auto bad = firstBadValue()) {
        outcome.error = *bad;
        return outcome;
    }
    for (Flag& flag : flags_) {
        if (flag.option->count() > 0) *flag.to = flag.value;
    }
    outcome.kind = Outcome::Kind::Options;
    return outcome;
}

std::string OptionTable::help() const {
    return app_.help();
}

}  // namespace velmora::cli
