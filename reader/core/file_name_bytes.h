// File names as bytes. Linux file names are bytes, usually UTF-8; a name
// copied from elsewhere (a Shift_JIS name unpacked from an archive) may not
// be. Such a name travels through the program's QString paths with each
// byte that is not part of valid UTF-8 kept as one lone low surrogate
// U+DC80..U+DCFF, so the exact bytes reach the file system and the engine.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tarrow {

/// The name's bytes as text: valid UTF-8 decoded, every other byte b kept
/// as U+DC00 + b. Never fails.
QString pathFromBytes(std::string_view bytes);

/// The inverse of pathFromBytes: the text as UTF-8, with each lone
/// U+DC80..U+DCFF turned back into its byte (another lone surrogate becomes
/// U+FFFD).
std::string pathBytes(const QString& path);

/// True when the text holds bytes kept by pathFromBytes.
bool holdsRawBytes(const QString& path);

/// What a name with raw bytes shows and is saved as: when its bytes are
/// valid CP932 (a Shift_JIS name), their decoded text, which the CP932
/// result files write back as the same bytes; otherwise the name unchanged.
QString displayName(const QString& name);

}  // namespace tarrow
