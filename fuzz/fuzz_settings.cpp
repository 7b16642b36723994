// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as alerm.ini: reading never fails, every value it yields lies in
// the domains the window relies on, and writing the settings back and reading
// them again is stable.
#include "IniFile.h"
#include "SettingsFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini = IniFile::Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    Settings first;
    first.SetDefaults();
    SettingsFile::ReadSettings(ini, first);
    if (first.Switch < 0 || first.Switch > 2 || first.CurrentID < 1 || first.CurrentID > 20 ||
        first.SnoozeInt < 2 || first.SnoozeInt > 10)
        std::abort();
    for (int n = 1; n <= SlotCount; ++n) {
        const AlarmSlot& slot = first.AlarmTable[n];
        if (slot.State < 0 || slot.State > 3 || slot.Command < 0 || slot.Command > 2 ||
            (slot.Repeat != 0 && slot.Repeat != 1))
            std::abort();
    }
    SettingsFile::WriteSettings(ini, first);
    Settings second;
    if (!SettingsFile::ReadSettings(IniFile::Parse(ini.ToBytes()), second))
        std::abort();
    IniFile again = IniFile::Parse(ini.ToBytes());
    SettingsFile::WriteSettings(again, second);
    Settings third;
    SettingsFile::ReadSettings(IniFile::Parse(again.ToBytes()), third);
    if (!(second == third))
        std::abort();
    return 0;
}
