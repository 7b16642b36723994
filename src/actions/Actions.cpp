#include "Actions.h"

#include <QDir>
#include <QTextStream>

Actions::Actions(const QString& programDir)
    : standard_(SoundCandidates(programDir)), wav_(backend_, standard_,
                                                   [this] {
                                                       if (OnSingleEnded)
                                                           OnSingleEnded();
                                                   }),
      launcher_(programDir) {}

QStringList Actions::SoundCandidates(const QString& programDir) {
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("alerm.wav")),
            dir.filePath(QStringLiteral("../share/vendrix/alerm.wav"))};
}

void Actions::PlayStandardAlarm(int) {
    standard_.Play();
}

void Actions::PlayWav(const QString& path, int repeat) {
    wav_.PlayWav(path, repeat);
}

void Actions::StopWav() {
    wav_.StopWav();
}

void Actions::LaunchExec(const QString& text) {
    if (launcher_.LaunchExec(text))
        return;
    QTextStream(stderr) << "vendrix: cannot launch \"" << text
                        << "\"; sounding the standard alarm instead" << Qt::endl;
    standard_.Play();
}
