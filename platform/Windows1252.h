#pragma once

#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The store holds bytes; they are shown as Windows-1252 (Latin-1 where that table has no
// character), so every byte has a glyph and nothing is converted on load or save.
QChar CharOfByte(unsigned char byte) noexcept;
QString DecodeBytes(std::string_view bytes);
// The same for the screen and the printer, where every byte must show: control bytes
// appear as their control pictures (a form feed as U+240C) and the soft hyphen as '-'.
QString DisplayBytes(std::string_view bytes);

// Text typed or pasted into bytes. A character the table cannot hold becomes '?', and
// *lossy (when given) is set.
std::string EncodeText(const QString& text, bool* lossy = nullptr);
