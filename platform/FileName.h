#pragma once

#include <string>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A file's name as the system knows it: bytes, exactly, with the text a person reads
// beside them, in which each byte that is not part of valid UTF-8 shows as U+FFFD. A name
// is made once, where it enters (the command line, a file dialog's answer, the shared
// block, the preferences, the system's own calls) and handed on unchanged: every open,
// stat and rename uses Bytes(), every message, title and list Display(). Qt's own file
// classes decode bytes that are not UTF-8 into U+FFFD and so reach another file; they are
// never given a name. A name never holds a NUL.
class FileName {
public:
    FileName() = default;
    // The system's bytes, kept exactly; bytes that hold a NUL name no file: empty.
    static FileName FromBytes(QByteArrayView bytes);
    // A name given as text (a dialog's answer, a name in a document, a name the program
    // spells itself): its UTF-8. Text that stands for no bytes (a NUL, half a surrogate
    // pair) names no file: empty.
    static FileName FromText(const QString& text);

    [[nodiscard]] const QByteArray& Bytes() const { return m_bytes; }
    // For the system's calls: the bytes, ended by a NUL.
    [[nodiscard]] const char* Path() const { return m_bytes.constData(); }
    [[nodiscard]] std::string ToStdString() const { return m_bytes.toStdString(); }
    [[nodiscard]] const QString& Display() const { return m_display; }
    // What Display() would show for these bytes, also for bytes that name no file.
    [[nodiscard]] static QString DisplayOf(QByteArrayView bytes);
    [[nodiscard]] bool isEmpty() const { return m_bytes.isEmpty(); }
    [[nodiscard]] bool StartsWith(QByteArrayView start) const { return m_bytes.startsWith(start); }
    [[nodiscard]] bool EndsWith(char last) const { return m_bytes.endsWith(last); }

    // The folder part, up to and including the last "/"; empty when there is none.
    [[nodiscard]] FileName Folder() const;
    // What follows the last "/": the whole name when there is none.
    [[nodiscard]] FileName Leaf() const;
    // The leaf's extension from its last ".", the dot included; empty when the leaf has no
    // dot after its first character (".spiceinit" has none).
    [[nodiscard]] QByteArray Extension() const;
    // The name with the leaf's extension replaced by `extension` (a dot and its letters),
    // or with it added when the leaf has none.
    [[nodiscard]] FileName WithExtension(QByteArrayView extension) const;
    // The name followed by `more`: a folder that ends in "/" and a leaf, say.
    [[nodiscard]] FileName operator+(const FileName& more) const;
    [[nodiscard]] FileName operator+(QByteArrayView more) const;
    // The name with "/" added unless it is empty or ends in one.
    [[nodiscard]] FileName WithSlash() const;
    // Runs of "/" made one, "." and ".." resolved as text, no final "/" but in "/" itself;
    // links are not followed, and the file system is never asked.
    [[nodiscard]] FileName Cleaned() const;

    // Alike but for letter case: letters as Unicode folds them; where either name holds
    // bytes that are not UTF-8, only ASCII letters fold.
    [[nodiscard]] bool SameButCase(const FileName& other) const;

    // Byte for byte: names that differ only in case, or in bytes that show alike, differ.
    friend bool operator==(const FileName& a, const FileName& b) { return a.m_bytes == b.m_bytes; }

private:
    explicit FileName(QByteArray bytes);

    QByteArray m_bytes;
    QString m_display; // follows m_bytes
};

using FileNameList = QList<FileName>;
