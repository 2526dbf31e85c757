#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The store holds bytes; they are shown as Windows-1252 (Latin-1 where that table has no
// character), so every byte has a glyph and nothing is converted on load or save.
QChar CharOfByte(unsigned char byte) noexcept;
QString DecodeBytes(std::string_view bytes);
// DecodeBytes written from out on, one QChar a byte; returns the end.
QChar* DecodeBytesTo(std::string_view bytes, QChar* out) noexcept;
// The same characters as UTF-8, as DecodeBytes and then toUtf8 give them: Utf8Size is the
// room they take, Utf8BytesTo writes them from out on and returns the end.
std::size_t Utf8Size(std::string_view bytes) noexcept;
char* Utf8BytesTo(std::string_view bytes, char* out) noexcept;
// The same for the screen and the printer, where every byte must show: control bytes
// appear as their control pictures (a form feed as U+240C) and the soft hyphen as '-'.
QString DisplayBytes(std::string_view bytes);

// Text typed or pasted into bytes. A character the table cannot hold becomes '?', and
// *lossy (when given) is set.
std::string EncodeText(const QString& text, bool* lossy = nullptr);
// EncodeText of UTF-8 text, without making the text UTF-16 first. Nothing for text that is
// not plain valid UTF-8 (a bad sequence, a byte order mark): what QString::fromUtf8 makes of
// those decides, through EncodeText.
std::optional<std::string> EncodeUtf8(std::string_view utf8, bool* lossy = nullptr);
