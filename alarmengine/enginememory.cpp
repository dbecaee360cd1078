#include "alarmengine/enginememory.h"

#include <QCryptographicHash>
#include <QLocale>

QByteArray alarmFingerprint(const AlarmRecord &alarm)
{
    // In one locale whatever the system's, so the digest of an alarm holds
    // from run to run.
    return QCryptographicHash::hash(formatAlarmLine(alarm, QLocale::c()).toUtf8(),
                                    QCryptographicHash::Sha1)
        .toHex()
        .left(16);
}
