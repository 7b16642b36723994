// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextRules.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}
bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Collects the characters of the leading number, skipping blanks, so that
// the collected ASCII text can be handed to a locale-free parser.
class NumberScanner {
public:
    explicit NumberScanner(QStringView text) : text_(text) {}

    std::string Scan() {
        AcceptOne(u"+-");
        bool digits = AcceptDigits();
        if (Peek() == u'.') {
            Take();
            digits = AcceptDigits() || digits;
        }
        if (!digits)
            return {};
        ScanExponent();
        return out_;
    }

private:
    QChar Peek() {
        while (pos_ < text_.size() && IsSkipped(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    void Take() { out_ += char(text_[pos_++].unicode()); }
    bool AcceptOne(QStringView set) {
        QChar c = Peek();
        if (c.isNull() || !set.contains(c))
            return false;
        Take();
        return true;
    }
    bool AcceptDigits() {
        bool any = false;
        while (IsDigit(Peek())) {
            Take();
            any = true;
        }
        return any;
    }
    // An exponent counts only when digits follow it; "1e" is just 1.
    void ScanExponent() {
        const qsizetype markPos = pos_;
        const size_t markLen = out_.size();
        if (!AcceptOne(u"eE"))
            return;
        AcceptOne(u"+-");
        if (!AcceptDigits()) {
            pos_ = markPos;
            out_.resize(markLen);
        }
    }

    QStringView text_;
    qsizetype pos_ = 0;
    std::string out_;
};

// Roughly log10 of a scanned number: where its first significant digit stands
// relative to the decimal point, shifted by the exponent. Only its sign matters.
long long DecimalExponent(const std::string& number) {
    const size_t e = number.find_first_of("eE");
    const std::string mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const char* first = number.data() + e + 1;
        first += *first == '+' ? 1 : 0;
        if (std::from_chars(first, number.data() + number.size(), exponent).ec != std::errc())
            exponent = number[e + 1] == '-' ? -(1LL << 40) : (1LL << 40);
        exponent = std::clamp(exponent, -(1LL << 40), 1LL << 40); // far beyond any double
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t firstDigit = mantissa.find_first_of("123456789");
    if (firstDigit == std::string::npos)
        return -(1LL << 40);
    const long long position =
        firstDigit < point ? (long long)(point - firstDigit) : -(long long)(firstDigit - point);
    return position + exponent;
}

template <typename Int> Int RoundClamped(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // default mode: ties to even
    if (rounded <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (rounded >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return Int(rounded);
}

} // namespace

double LeadingNumber(QStringView text) {
    const std::string number = NumberScanner(text).Scan();
    if (number.empty())
        return 0.0;
    // from_chars does not take a leading "+".
    const char* first = number.data() + (number.front() == '+' ? 1 : 0);
    const char* last = number.data() + number.size();
    double value = 0.0;
    const auto ec = std::from_chars(first, last, value).ec;
    if (ec == std::errc::result_out_of_range) {
        if (DecimalExponent(number) < 0)
            return 0.0; // underflow
        const double huge = std::numeric_limits<double>::max();
        return number.front() == '-' ? -huge : huge;
    }
    return value;
}

qint16 RoundHalfEven(double value) {
    return RoundClamped<qint16>(value);
}

qint16 LeadingInteger(QStringView text) {
    return RoundHalfEven(LeadingNumber(text));
}

qint32 RoundHalfEven32(double value) {
    return RoundClamped<qint32>(value);
}

QString PlainDecimal(qint64 value) {
    return QString::number(value);
}

QString PadZero(qint16 value, int width) {
    const QString padded = QString(width, u'0') + PlainDecimal(value);
    return padded.right(width);
}

QString HourMinute(qint16 hour, qint16 minute) {
    return PadZero(hour, 2) + u':' + PadZero(minute, 2);
}

QString DateText(qint16 month, qint16 day, bool padded) {
    return padded ? PadZero(month, 2) + u'/' + PadZero(day, 2)
                  : PlainDecimal(month) + u'/' + PlainDecimal(day);
}

// Two characters at least before the colon, so that no path is taken for a URL.
bool StartsWithScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

ExecText SplitExec(const QString& text) {
    const qsizetype mark = StartsWithScheme(text) ? -1 : text.indexOf(u'?');
    if (mark < 0)
        return {text, QString()};
    return {text.left(mark), text.mid(mark + 1)};
}
