#include "FileName.h"

namespace {

// The length of the valid UTF-8 sequence at `at` and its code point, or 0 when the byte
// there starts none (overlong forms, encoded surrogates and values past U+10FFFF are
// not valid).
int Utf8Sequence(QByteArrayView bytes, qsizetype at, char32_t& code) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Each byte that starts no valid sequence is one U+FFFD, so that a name shows as many
// marks as it has such bytes.
QString Shown(QByteArrayView bytes) {
    QString shown;
    shown.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = Utf8Sequence(bytes, at, code);
        if (length == 0) {
            shown += QChar::ReplacementCharacter;
            ++at;
        } else {
            shown += QString::fromUcs4(&code, 1);
            at += length;
        }
    }
    return shown;
}

} // namespace

FileName::FileName(QByteArray bytes) : m_bytes(std::move(bytes)), m_display(Shown(m_bytes)) {}

QString FileName::DisplayOf(QByteArrayView bytes) {
    return Shown(bytes);
}

FileName FileName::FromBytes(QByteArrayView bytes) {
    if (bytes.contains('\0'))
        return {};
    return FileName(bytes.toByteArray());
}

FileName FileName::FromText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isNull() || c.isLowSurrogate())
            return {};
        if (c.isHighSurrogate() && !(i + 1 < text.size() && text[++i].isLowSurrogate()))
            return {};
    }
    return FileName(text.toUtf8());
}

FileName FileName::Folder() const {
    return FileName(m_bytes.left(m_bytes.lastIndexOf('/') + 1));
}

FileName FileName::Leaf() const {
    return FileName(m_bytes.mid(m_bytes.lastIndexOf('/') + 1));
}

QByteArray FileName::Extension() const {
    const QByteArray leaf = m_bytes.mid(m_bytes.lastIndexOf('/') + 1);
    const qsizetype dot = leaf.lastIndexOf('.');
    return dot >= 1 ? leaf.mid(dot) : QByteArray();
}

FileName FileName::WithExtension(QByteArrayView extension) const {
    return FromBytes(m_bytes.chopped(Extension().size()).append(extension));
}

FileName FileName::operator+(const FileName& more) const {
    return FileName(m_bytes + more.m_bytes);
}

FileName FileName::operator+(QByteArrayView more) const {
    return FromBytes(QByteArray(m_bytes).append(more));
}

FileName FileName::WithSlash() const {
    return isEmpty() || EndsWith('/') ? *this : *this + "/";
}

FileName FileName::Cleaned() const {
    if (isEmpty())
        return {};
    const bool absolute = m_bytes.startsWith('/');
    QByteArrayList parts;
    for (const QByteArray& part : m_bytes.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == ".." && !parts.isEmpty() && parts.last() != "..")
            parts.removeLast();
        else if (part != ".." || !absolute) // ".." above the root is the root
            parts << part;
    }
    const QByteArray joined = parts.join('/');
    if (absolute)
        return FileName('/' + joined);
    return FileName(joined.isEmpty() ? QByteArray(".") : joined);
}

bool FileName::SameButCase(const FileName& other) const {
    const auto shownExactly = [](const FileName& name) {
        return !name.m_display.contains(QChar::ReplacementCharacter);
    };
    if (shownExactly(*this) && shownExactly(other))
        return m_display.compare(other.m_display, Qt::CaseInsensitive) == 0;
    if (m_bytes.size() != other.m_bytes.size())
        return false;
    for (qsizetype i = 0; i < m_bytes.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(m_bytes[i]) != fold(other.m_bytes[i]))
            return false;
    }
    return true;
}
