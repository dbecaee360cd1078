#include "app/clockbas.h"

#include "app/bigcform.h"
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
