// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QStringList>

// The two faces the window is designed with, asked for by their own names;
// Linux desktops get the nearest Japanese faces installed.
namespace Fonts {
QFont Gothic(double points, bool bold = false);
QFont Mincho(double points, bool bold = false, bool italic = false);
} // namespace Fonts
