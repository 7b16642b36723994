// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the icon theme images of the window icon: vendrix-16.png,
// vendrix-32.png and vendrix-48.png in the given folder. Run by the build.
#include "WindowIcon.h"

#include <QDir>

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    for (int size : {16, 32, 48}) {
        if (!WindowIcon::Draw(size).save(
                QDir(argv[1]).filePath(QStringLiteral("vendrix-%1.png").arg(size))))
            return 1;
    }
    return 0;
}
