// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Qt's own texts (the file chooser, the text boxes' menus) in Japanese like
// every text of Vendrix, whatever the system language. Without Qt's
// translation file they stay as Qt has them.
void InstallQtTranslation();
