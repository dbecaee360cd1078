#include "app/clockbas.h"

#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/clock.h"
#include "app/dialogs.h"
#include "app/programend.h"
#include "playback/frmdshow.h"
#include "playback/isvideo.h"
#include "playback/soundtable.h"
#include "settings/conffile.h"
#include "settings/frmoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

ClockBas::ClockBas(const Seams &seams) : m_seams(seams) {}

namespace {

// A settings file is five short lines; anything beyond this is not one.
constexpr qint64 kMaxConfBytes = 1 << 20;

} // namespace

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
    m_options = std::make_unique<frmoptions>(*this, *m_form);
    loadmainoptions();
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

void ClockBas::loadmainoptions()
{
    QFile file(confFilePath);
    const QByteArray bytes =
        file.open(QIODevice::ReadOnly) ? file.read(kMaxConfBytes) : QByteArray();
    const ConfLines lines = parseConf(bytes);
    BigCFormState &state = m_form->state;

    if (lines.isshowing)
        state.isshowing = *lines.isshowing;
    m_options->mhcfile()->setText(
        chimeFileFrom(lines.chimeLine, SoundTable::chimePath(m_seams.programFolder),
                      [](const QString &path) { return QFileInfo(path).isFile(); }));
    if (lines.chimesChecked)
        m_options->Check2()->setChecked(*lines.chimesChecked == 1);
    if (lines.ampm) {
        state.ampm = *lines.ampm;
        (state.ampm != 0 ? m_options->hour24() : m_options->hourampm())->setChecked(true);
    }
    // Without a size of its own the clock shows at full size.
    const int sizeIndex = lines.sizeIndex.value_or(0);
    m_options->comsizepercent()->setCurrentIndex(sizeIndex);
    state.adjustsize = percentvalue(sizeEntries().at(sizeIndex)).value_or(100);
}

void ClockBas::messg(const QString &text)
{
    m_seams.dialogs.messg(text);
}

void ClockBas::endProgram()
{
    m_seams.programEnd.endProgram();
}

void ClockBas::playfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                        bool repeatHidden)
{
    if (!m_form)
        return;
    if (!m_dshow)
        m_dshow = std::make_unique<frmdshow>(m_form->state, m_seams.mediaEngines);
    frmdshow &player = *m_dshow;
    player.load();
    player.filename = file;
    player.vlme = volume;
    player.bloop = repeatShown || repeatHidden;
    player.fadein = fadeFlag;
    player.fadeout = false;
    if (isvideo(file) || repeatShown)
        player.show();
    player.mnuopen_Click();
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
