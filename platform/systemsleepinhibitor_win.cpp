#include "platform/systemsleepinhibitor.h"

#include <windows.h>

#include <utility>

SystemSleepInhibitor::SystemSleepInhibitor(QObject *parent) : QObject(parent) {}

SystemSleepInhibitor::~SystemSleepInhibitor()
{
    release();
}

void SystemSleepInhibitor::take()
{
    m_wanted = true;
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

void SystemSleepInhibitor::release()
{
    if (!std::exchange(m_wanted, false))
        return;
    SetThreadExecutionState(ES_CONTINUOUS);
}
