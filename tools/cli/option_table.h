// A command's options declared once, on CLI11: each option's names, value
// name, help text, group and value check sit in one declaration, from which
// the parsing, the --help text and the one-line error messages all come.
//
// The command line as users know it: "-d FILE", "-dFILE", "--definition FILE"
// and "--definition=FILE"; the last of repeated options counts; "--" ends
// the options; "-h"/"--help" asks for help. Messages (without the program's
// prefix): "unknown option '--x'", "unexpected argument 'x'", "option -j
// needs a value", "bad value for -j: '0' (expected 1 to 256)".
#pragma once

#include <CLI/CLI.hpp>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

/// What an option's value must be; the value is kept as typed.
struct ValueCheck {
    enum class Kind { Any, Whole, Real, Custom };
    Kind kind = Kind::Any;
    double lo = 0.0;
    double hi = 0.0;
    /// Custom: the test, and what the message says is expected.
    std::function<bool(const std::string&)> accepts;
    std::string expected;

    /// Any text.
    static ValueCheck any() { return {}; }
    /// A whole number in [lo, hi], written as digits only.
    static ValueCheck whole(long long lo, long long hi);
    /// A finite real number in [lo, hi].
    static ValueCheck real(double lo, double hi);
    /// Whatever `accepts` takes; the message says "(expected <expected>)".
    static ValueCheck custom(std::function<bool(const std::string&)> accepts, std::string expected);

    /// Empty when `value` passes, else what was expected.
    std::string problem(const std::string& value) const;
};

/// A whole number written as digits only (a leading "-" allowed), or nullopt.
std::optional<long long> wholeNumber(const std::string& text);
/// A finite real number, or nullopt.
std::optional<double> realNumber(const std::string& text);

class OptionTable {
public:
    /// `usage`: the usage lines; `description`: what the command does;
    /// `footer`: the exit statuses. All end with a line break.
    OptionTable(std::string usage, std::string description, std::string footer);

    /// An option with a value; `to` receives the last value given.
    CLI::Option* value(const std::string& names, const std::string& valueName,
                       const std::string& help, ValueCheck check, std::string& to);
    /// A repeatable option; `to` receives every value, in order.
    CLI::Option* values(const std::string& names, const std::string& valueName,
                        const std::string& help, ValueCheck check, std::vector<std::string>& to);
    /// A flag: true when given, false when given by a name written "!--no-x"
    /// (the last one counts). A flag takes no attached value.
    CLI::Option* flag(const std::string& names, const std::string& help, std::optional<bool>& to);
    /// The words that are not options, in order.
    void operands(std::vector<std::string>& to);
    /// Options declared after this call are listed under `title` in the help.
    void group(std::string title) { group_ = std::move(title); }

    struct Outcome {
        enum class Kind { Options, Help, Error };
        Kind kind = Kind::Error;
        std::string error;  ///< one line
    };
    /// Parses the words after the command's name.
    Outcome parse(const std::vector<std::string>& args);

    /// Whether `option` was given.
    bool given(const CLI::Option* option) const { return option->count() > 0; }
    /// The index among the parsed words of the word that gave `option` the
    /// `occurrence`-th time (from 0); nullopt when it was not given so often.
    std::optional<std::size_t> wordIndex(const CLI::Option* option,
                                         std::size_t occurrence = 0) const;
    /// That word as typed, and the option's name in it ("-j" or "--jobs").
    const std::string& word(std::size_t index) const { return args_.at(index); }
    std::string spellingOf(const CLI::Option* option, std::size_t occurrence = 0) const;

    std::string help() const;

private:
    struct Checked {
        CLI::Option* option;
        ValueCheck check;
    };

    CLI::Option* place(CLI::Option* option, const std::string& valueName);
    std::optional<std::string> firstBadValue() const;
    std::optional<std::string> flagWithValue() const;
    /// Which declared option a word before "--" gives, if any.
    bool wordGives(const std::string& word, const CLI::Option* option) const;

    CLI::App app_;
    struct Flag {
        CLI::Option* option = nullptr;
        bool value = false;
        std::optional<bool>* to = nullptr;
    };

    std::vector<Checked> checked_;
    std::deque<Flag> flags_;  ///< stable addresses: CLI11 writes `value`
    std::string group_ = "options";
    std::vector<std::string> args_;
};

}  // namespace velmora::cli
