// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

// The command line, read before the display is opened: --help and --version
// are answered on the terminal, a wrong option or argument gets the usage on
// standard error. The options of every Qt program (-platform, -style,
// -display...) are known and left for QApplication.
namespace CommandLine {

// What the command line asks for.
struct Request {
    bool AtLogin = false; // --autostart
    bool Stop = false;    // --stop: of the copy that runs
};

// The exit code when the program ends here; nothing when it goes on, as
// `request` says.
std::optional<int> Handle(int argc, char* argv[], Request& request);

// Until OpenedDisplay, a display that cannot be opened ends the program with
// one clear line and exit code 1, instead of Qt's abort and its advice to
// reinstall.
void GuardDisplay();
void OpenedDisplay();

} // namespace CommandLine
