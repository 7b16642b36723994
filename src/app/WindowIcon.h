// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

// Vendrix's icon, drawn in code: an alarm clock with two bells.
namespace WindowIcon {
QImage Draw(int size);
QIcon Make(); // 16, 32 and 48 pixels
} // namespace WindowIcon
