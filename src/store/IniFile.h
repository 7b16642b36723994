// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

// A profile (INI) file held in memory, line by line. Reading and writing keys
// keeps every other line byte for byte: unknown sections and keys, comments,
// blank lines, line ends and text in any encoding. Section and key names are
// matched without regard to ASCII case; blanks around names and values are
// not part of them. Within a section a key's first value counts; a section
// may come more than once (a hand edit appended with >>), and then the last
// section that holds the key counts, and is the one written. Values are
// UTF-8 and are read whole; a UTF-8 byte-order mark that starts the file is
// kept, and is not part of its first line.
class IniFile {
public:
    // No settings file is anywhere near this: a larger one is not read.
    static constexpr qint64 LargestBytes = 1 << 20;

    static IniFile Parse(const QByteArray& bytes);
    // The bytes of the regular file at path; fails as OpenRegular does, and
    // (EFBIG) when it is larger than LargestBytes, without reading it.
    static Result<QByteArray> Read(const QString& path);
    // Reads the file at path. Fails as Read does, and when it cannot be read
    // as text (UTF-16, NUL bytes), so the caller can keep from overwriting
    // something it never saw.
    static Result<IniFile> Load(const QString& path);

    // The value of key in section, or the empty text when either is missing.
    QString ReadIni(QStringView section, QStringView key) const;
    // Sets the value, creating the key at the end of its section and the
    // section at the end of the file when they are missing.
    void WriteIni(const QString& section, const QString& key, const QString& value);

    QByteArray ToBytes() const;
    // The names of its sections, in lower case.
    QByteArrayList Sections() const { return sections_.keys(); }
    // Writes the whole file to a new file beside path, syncs it and puts it
    // in place of path (of the file a chain of links ends at), so the file on
    // disk is always either the old or the new one; gives the file it
    // replaced, still open, as ExchangeWhole does. A file without write
    // permission is not replaced (EACCES), nor anything that is not a
    // regular file.
    Result<std::unique_ptr<QFile>> Save(const QString& path) const;
    // Removes what a save killed halfway left beside path: its temporary files.
    static void RemoveLeftovers(const QString& path);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;
        QByteArray eol;
        Kind kind = Kind::Other;
        QByteArray name; // lower-case section or key name
    };

    static Line ParseLine(QByteArray text, QByteArray eol);
    // Index of the first header line of section, or -1.
    qsizetype FindSection(const QByteArray& lowerName) const;
    // Index one past the last line belonging to the section whose header is at header.
    qsizetype SectionEnd(qsizetype header) const;
    // The line of the key's value that counts, in the sections of that name, or -1.
    qsizetype FindKey(const QByteArray& lowerSection, const QByteArray& lowerKey) const;
    void Insert(qsizetype at, Line line);
    void Reindex();
    QByteArray NewLineEnd() const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
    QHash<QByteArray, QList<qsizetype>> sections_; // the headers of each name, in order
};
