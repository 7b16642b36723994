// Helper of tst_savecrash: `save_loop PATH` saves two different settings into
// one alerm.ini over and over until it is killed; `save_loop PATH a|b` saves
// one of them once.
#include "SettingsFile.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    SettingsFile file(QString::fromLocal8Bit(argv[1]));
    Settings a;
    a.SetDefaults();
    Settings b = a;
    for (int n = 1; n <= SlotCount; ++n) {
        b.AlarmTable[n].State = StateDaily;
        b.AlarmTable[n].WAV = QString(200, u'w');
    }
    if (argc == 3)
        return file.SaveSettings(argv[2][0] == 'b' ? b : a) ? 0 : 1;
    std::puts("saving");
    std::fflush(stdout);
    for (unsigned i = 0;; ++i)
        file.SaveSettings(i % 2 ? b : a);
}
