#include "StandardAlarm.h"

#include <QFileInfo>
#include <QUrl>

namespace {
const QUrl BuiltInTone(QStringLiteral("qrc:/vendrix/alerm.wav"));
}

StandardAlarm::StandardAlarm(const QStringList& candidates) {
    QObject::connect(&effect_, &QSoundEffect::statusChanged, &effect_, [this] {
        if (effect_.status() == QSoundEffect::Error && effect_.source() != BuiltInTone)
            UseBuiltIn();
    });
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile()) {
            effect_.setSource(QUrl::fromLocalFile(path));
            return;
        }
    }
    UseBuiltIn();
}

void StandardAlarm::UseBuiltIn() {
    const bool wasPlaying = effect_.isPlaying();
    effect_.setSource(BuiltInTone);
    if (wasPlaying)
        effect_.play();
}

void StandardAlarm::Play() {
    effect_.stop(); // each call starts the sound from its beginning
    effect_.play();
}

void StandardAlarm::StartLoop() {
    effect_.setLoopCount(QSoundEffect::Infinite);
    Play();
}

void StandardAlarm::StopLoop() {
    effect_.stop();
    effect_.setLoopCount(1);
}
