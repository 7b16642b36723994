// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

namespace {

const QString GothicName = QStringLiteral("ＭＳ ゴシック");
const QString MinchoName = QStringLiteral("ＭＳ Ｐ明朝");

void RegisterSubstitutes() {
    static const bool done = [] {
        QFont::insertSubstitutions(GothicName, QStringList{QStringLiteral("IPAGothic"),
                                                           QStringLiteral("Noto Sans Mono CJK JP"),
                                                           QStringLiteral("monospace")});
        QFont::insertSubstitutions(MinchoName, QStringList{QStringLiteral("IPAPMincho"),
                                                           QStringLiteral("Noto Serif CJK JP"),
                                                           QStringLiteral("serif")});
        return true;
    }();
    (void)done;
}

QFont Make(const QString& family, double points, bool bold, bool italic) {
    RegisterSubstitutes();
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

QFont Fonts::Gothic(double points, bool bold) {
    return Make(GothicName, points, bold, false);
}

QFont Fonts::Mincho(double points, bool bold, bool italic) {
    return Make(MinchoName, points, bold, italic);
}
