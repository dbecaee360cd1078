#include "app/clockbas.h"

#include "app/bigcform.h"
#include "app/dialogs.h"
#include "app/programend.h"
#include "playback/frmdshow.h"
#include "playback/isvideo.h"
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
