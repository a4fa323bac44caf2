#include "tools/velmora/headless_prompter.h"

#include "reader/core/file_name_bytes.h"

namespace velmora::cli {

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

void HeadlessPrompter::print(const QString& text) {
    // A file name that is not UTF-8 is printed with its own bytes.
    err_ << "velmora: " << tarrow::pathBytes(oneLine(text)) << '\n';
    err_.flush();
}

void HeadlessPrompter::message(const QString& text, Icon) {
    messages_.append(text);
    print(text);
}

// The command decides for each question: the batch read goes on after read
// errors and replaces its output; rename keeps existing files unless told.
tarrow::Prompter::Answer HeadlessPrompter::question(tarrow::QuestionId id, const QString& text) {
    questions_.append(text);
    const auto it = answers_.find(id);
    const Answer answer = it == answers_.end() ? Answer::Yes : it->second;
    // Crops going into the scans folder are a warning even when accepted.
    if (verbose_ || answer != Answer::Yes || id == tarrow::QuestionId::CropsIntoScans) print(text);
    return answer;
}

QString HeadlessPrompter::chooseFolder(tarrow::FolderId id, const QString&, const QString&) {
    const auto it = folders_.find(id);
    return it == folders_.end() ? QString() : it->second;
}

QString HeadlessPrompter::chooseOpenFile(const QString&, const QString&) {
    return {};
}

QString HeadlessPrompter::chooseSaveFile(const QString&, const QString&) {
    return saveFile_;
}

std::optional<QString> HeadlessPrompter::inputText(tarrow::InputId id, const QString&,
                                                   const QString&, const QString&) {
    const auto it = inputs_.find(id);
    if (it == inputs_.end()) return std::nullopt;
    return it->second;
}

void HeadlessPrompter::setStatus(const QString& text) {
    if (verbose_ && !text.isEmpty()) print(text);
}

}  // namespace velmora::cli
