#include "platform/eventloopend.h"

#include <QCoreApplication>

void EventLoopEnd::endProgram()
{
    m_ended = true;
    QCoreApplication::exit(0);
}
