// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

// A profile (INI) file held in memory, line by line. Reading and writing keys
// keeps every other line byte for byte: unknown sections and keys, comments,
// blank lines, line ends and text in any encoding. Section and key names are
// matched without regard to ASCII case; blanks around names and values are
// not part of them. Values are UTF-8 and are read whole; a UTF-8 byte-order
// mark that starts the file is kept, and is not part of its first line.
class IniFile {
public:
    static IniFile Parse(const QByteArray& bytes);
    // The bytes of the regular file at path; fails as OpenRegular does.
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
    // Writes the whole file to a new file beside path, syncs it and renames it
    // over path (over a symbolic link's target), so the file on disk is always
    // either the old or the new one. A file without write permission is not
    // replaced (EACCES), nor anything that is not a regular file.
    Status Save(const QString& path) const;
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
    static QString Target(const QString& path);
    // Index of the header line of section, or -1.
    qsizetype FindSection(const QByteArray& lowerName) const;
    // Index one past the last line belonging to the section whose header is at header.
    qsizetype SectionEnd(qsizetype header) const;
    qsizetype FindKey(qsizetype header, const QByteArray& lowerKey) const;
    void Insert(qsizetype at, Line line);
    void Reindex();
    QByteArray NewLineEnd() const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
    QHash<QByteArray, qsizetype> sections_; // first header of each name
};
