// Lock-key lights, as Linux exposes them under /sys/class/leds.
#include "app/lock_keys.h"

#include <QDir>
#include <QFile>

namespace orvane::app {
namespace {

/// True when any keyboard's light of this name is on.
bool lightOn(const QString& suffix)
{
    const QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList names = leds.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile brightness(leds.filePath(name + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0")
            return true;
    }
    return false;
}

} // namespace

LockKeys ReadLockKeys()
{
    return {lightOn(QStringLiteral("capslock")), lightOn(QStringLiteral("numlock")),
            lightOn(QStringLiteral("scrolllock"))};
}

} // namespace orvane::app
