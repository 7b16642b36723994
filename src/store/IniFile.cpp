// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Utf8Mark = "\xEF\xBB\xBF";

QByteArray LowerName(QStringView name) {
    return name.toUtf8().trimmed().toLower();
}

// A value cannot span lines in the file; a line break becomes a blank.
QByteArray OneLine(const QString& value) {
    QByteArray bytes = value.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

} // namespace

IniFile IniFile::Parse(const QByteArray& bytes) {
    IniFile file;
    file.byteOrderMark_ = bytes.startsWith(Utf8Mark);
    qsizetype start = file.byteOrderMark_ ? Utf8Mark.size() : 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        qsizetype textEnd = end;
        QByteArray eol = "\n";
        if (end < 0) {
            end = textEnd = bytes.size();
            eol.clear(); // the last line, without a line end
        } else if (end > start && bytes[end - 1] == '\r') {
            textEnd = end - 1;
            eol = "\r\n";
        }
        file.lines_.push_back(ParseLine(bytes.mid(start, textEnd - start), eol));
        start = end + 1;
    }
    file.Reindex();
    return file;
}

Result<QByteArray> IniFile::Read(const QString& path) {
    return ReadRegular(path, LargestBytes);
}

Result<IniFile> IniFile::Load(const QString& path) {
    const Result<QByteArray> bytes = Read(path);
    if (!bytes)
        return bytes.Error();
    // UTF-16, with a byte-order mark or without: not text this reader can keep intact.
    if (bytes->startsWith("\xFF\xFE") || bytes->startsWith("\xFE\xFF") || bytes->contains('\0'))
        return Failure{QStringLiteral("not a text file"), EILSEQ};
    return Parse(*bytes);
}

IniFile::Line IniFile::ParseLine(QByteArray text, QByteArray eol) {
    Line line{std::move(text), std::move(eol), Kind::Other, {}};
    const QByteArray trimmed = line.text.trimmed();
    if (trimmed.startsWith('[')) {
        // A header missing its "]" still names the section the user meant.
        qsizetype close = trimmed.indexOf(']');
        if (close < 0)
            close = trimmed.size();
        line.kind = Kind::Section;
        line.name = trimmed.mid(1, close - 1).trimmed().toLower();
    } else if (!trimmed.startsWith(';') && !trimmed.startsWith('#') && trimmed.contains('=')) {
        line.kind = Kind::Key;
        line.name = trimmed.left(trimmed.indexOf('=')).trimmed().toLower();
    }
    return line;
}

void IniFile::Reindex() {
    sections_.clear();
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
        if (lines_[i].kind == Kind::Section)
            sections_[lines_[i].name] << i;
    }
}

qsizetype IniFile::FindSection(const QByteArray& lowerName) const {
    const auto headers = sections_.constFind(lowerName);
    return headers == sections_.cend() ? -1 : headers->first();
}

qsizetype IniFile::SectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < qsizetype(lines_.size()) && lines_[i].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype IniFile::FindKey(const QByteArray& lowerSection, const QByteArray& lowerKey) const {
    qsizetype found = -1;
    for (qsizetype header : sections_.value(lowerSection)) {
        const qsizetype end = SectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            if (lines_[i].kind == Kind::Key && lines_[i].name == lowerKey) {
                found = i;
                break;
            }
        }
    }
    return found;
}

QString IniFile::ReadIni(QStringView section, QStringView key) const {
    const qsizetype at = FindKey(LowerName(section), LowerName(key));
    if (at < 0)
        return {};
    const QByteArray& text = lines_[at].text;
    return QString::fromUtf8(text.mid(text.indexOf('=') + 1).trimmed());
}

void IniFile::WriteIni(const QString& section, const QString& key, const QString& value) {
    const QByteArray lowerSection = LowerName(section);
    const QByteArray lowerKey = LowerName(key);
    qsizetype header = FindSection(lowerSection);
    if (header < 0) {
        header = qsizetype(lines_.size());
        Insert(header, ParseLine('[' + section.toUtf8() + ']', NewLineEnd()));
    }
    const qsizetype at = FindKey(lowerSection, lowerKey);
    if (at >= 0) {
        Line& line = lines_[at];
        line.text = line.text.left(line.text.indexOf('=') + 1).trimmed() + OneLine(value);
        return;
    }
    // After the section's last non-blank line, so a blank line that separates
    // it from the next section stays where it is.
    qsizetype insertAt = SectionEnd(header);
    while (insertAt > header + 1 && lines_[insertAt - 1].text.trimmed().isEmpty())
        --insertAt;
    Insert(insertAt, ParseLine(key.toUtf8() + '=' + OneLine(value), NewLineEnd()));
}

void IniFile::Insert(qsizetype at, Line line) {
    if (at > 0 && lines_[at - 1].eol.isEmpty())
        lines_[at - 1].eol = NewLineEnd();
    lines_.insert(lines_.begin() + at, std::move(line));
    if (at == qsizetype(lines_.size()) - 1 && lines_.back().kind != Kind::Section)
        return; // appended a key: no index moved
    Reindex();
}

QByteArray IniFile::NewLineEnd() const {
    for (const Line& line : lines_) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return "\n";
}

QByteArray IniFile::ToBytes() const {
    QByteArray bytes = byteOrderMark_ ? Utf8Mark : QByteArray();
    for (const Line& line : lines_)
        bytes += line.text + line.eol;
    return bytes;
}

void IniFile::RemoveLeftovers(const QString& path) {
    const QFileInfo target(FinalTarget(path));
    const QRegularExpression ours(
        QStringLiteral("^%1\\.\\d+\\.tmp$").arg(QRegularExpression::escape(target.fileName())));
    QDir dir = target.dir();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (ours.match(name).hasMatch())
            dir.remove(name);
    }
}

// Written to a new file beside the old one, synced, then put in its place:
// the file on disk is always the old one or the whole new one. The file a
// chain of links ends at is replaced, so that every link stays.
Result<std::unique_ptr<QFile>> IniFile::Save(const QString& path) const {
    const QString target = FinalTarget(path);
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return NotRegular(old.st_mode);
    // The rename would replace a file the user made read-only; root too must not.
    if (exists &&
        (!(old.st_mode & S_IWUSR) || ::access(QFile::encodeName(target).constData(), W_OK) != 0))
        return Failure{QString::fromLocal8Bit(std::strerror(EACCES)), EACCES};
    return ExchangeWhole(target, ToBytes(), exists ? int(old.st_mode & 07777) : -1);
}
