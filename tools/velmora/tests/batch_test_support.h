// Helpers of the tests that run the built velmora binary over the engine
// component: a private settings root with the component registered in it,
// the binary run with that root, and CP932 line files taken apart.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/velmora/tests/test_support.h"

/// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace velmora::cli::testing {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// Runs `velmora args...` with XDG_CONFIG_HOME = `config`; `shellPrefix` is
/// put before the program (limits, traps). Stderr is collected in `scratch`.
inline ToolRun runTool(const std::vector<std::string>& args, const std::string& config,
                       const std::string& scratch, const std::string& shellPrefix = "") {
    std::string cmd = shellPrefix + "XDG_CONFIG_HOME=" + shellQuoted(config) + " exec " +
                      shellQuoted(VELMORA_CLI_PATH);
    for (const std::string& a : args) cmd += " " + shellQuoted(a);
    const std::string errPath = scratch + "/stderr.txt";
    cmd = "sh -c " + shellQuoted(cmd) + " 2>" + shellQuoted(errPath);
    ToolRun r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = slurpFile(errPath);
    return r;
}

/// Registers the built component under `config`; true on success.
inline bool registerComponent(const std::string& config) {
    const std::string cmd = "XDG_CONFIG_HOME=" + shellQuoted(config) + " " +
                            shellQuoted(STROVIK_REGSVR_PATH) + " " +
                            shellQuoted(STROVIK_LIBRARY_PATH) + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

/// A CP932 file with CR LF line ends, split into lines of fields. Fails the
/// test when a line end is not CR LF, the last line lacks one, or a byte is
/// not valid CP932.
inline std::vector<QStringList> cp932Lines(const std::string& path) {
    const std::string bytes = slurpFile(path);
    EXPECT_FALSE(bytes.empty()) << path;
    EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n")) << path;
    for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1)) {
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << path << ": bare LF at byte " << i;
    }
    QStringDecoder decode("windows-31j");
    const QString text = decode(QByteArray::fromStdString(bytes));
    EXPECT_FALSE(decode.hasError()) << path;
    std::vector<QStringList> lines;
    for (const QString& line : text.split("\r\n")) lines.push_back(line.split(u','));
    if (!lines.empty() && lines.back() == QStringList{""}) lines.pop_back();
    return lines;
}

/// Writes `text` (UTF-8 here, CR LF line ends given) as a CP932 file.
inline void writeCp932(const std::string& path, const QString& text) {
    QStringEncoder encode("windows-31j");
    const QByteArray bytes = encode(text);
    writeFile(path, bytes.toStdString());
}

}  // namespace velmora::cli::testing
