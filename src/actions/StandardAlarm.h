#pragma once

#include "AlarmSound.h"

#include <QSoundEffect>
#include <QString>

// alerm.wav through QSoundEffect, loaded once. When the file is missing or
// cannot be decoded, the same tone built into the program plays instead.
class StandardAlarm : public AlarmSound {
public:
    // The first existing alerm.wav among the candidate paths is used.
    explicit StandardAlarm(const QStringList& candidates);

    void Play() override;
    void StartLoop() override;
    void StopLoop() override;
    QUrl Source() const { return effect_.source(); }

private:
    void UseBuiltIn();

    QSoundEffect effect_;
};
