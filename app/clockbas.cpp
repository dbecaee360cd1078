#include "app/clockbas.h"

#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/clock.h"
#include "app/dialogs.h"
#include "app/programend.h"
#include "playback/soundtable.h"

#include <QCoreApplication>
#include <QFileInfo>

ClockBas::ClockBas(const Seams &seams) : m_seams(seams) {}

ClockBas::~ClockBas() = default;

bool ClockBas::startprogram()
{
    confFilePath = m_seams.programFolder + QStringLiteral("/conf");
    if (!QFileInfo(confFilePath).isFile()) {
        messg(kCorruptedMessage);
        endProgram();
        return false;
    }
    if (!loadsoundlist())
        return false;

    m_form = std::make_unique<BigCForm>(*this);
    if (!m_form->load())
        return false;
    QCoreApplication::processEvents();
    return true;
}

bool ClockBas::loadsoundlist()
{
    soundfiles = SoundTable::paths(m_seams.programFolder);
    for (int k = 0; k < SoundTable::Count; ++k) {
        if (!QFileInfo(soundfiles.at(k)).isFile()) {
            messg(kCorruptedMessage);
            endProgram();
            return false;
        }
    }
    return true;
}

void ClockBas::messg(const QString &text)
{
    m_seams.dialogs.messg(text);
}

void ClockBas::endProgram()
{
    m_seams.programEnd.endProgram();
}

AlarmFileReport ClockBas::loadalarms()
{
    const AlarmFileContents contents =
        loadAlarmFile(alarmFilePath, QLocale(), m_seams.clock.now().date().year());
    fillAlarmTable(alarms, alarmCount, contents.records);
    m_keepAlarmBackup = !contents.report.isClean();
    return contents.report;
}

bool ClockBas::savealarms()
{
    const std::optional<QString> error =
        saveAlarmFile(alarmFilePath, alarmFileBytes(alarms, QLocale()), m_keepAlarmBackup);
    if (error) {
        messg(alarmSaveMessage(*error));
        return false;
    }
    m_keepAlarmBackup = false;
    return true;
}

frmalarms &ClockBas::alarmList()
{
    if (!m_alarmList)
        m_alarmList = std::make_unique<frmalarms>(*this);
    return *m_alarmList;
}
