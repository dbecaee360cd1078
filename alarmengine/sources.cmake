# The alarm engine: the schedule, the scan of the table at each tick, the queue
# of alarms waiting their turn, the next wake-up, the sound chain and the alarm
# in progress. Pure logic over narrow interfaces, tested with a fake clock and a
# scripted sound.
list(APPEND TOCKARO_CORE_SOURCES
    alarmengine/alarmengine.cpp alarmengine/alarmengine.h
    alarmengine/alarmqueue.cpp alarmengine/alarmqueue.h
    alarmengine/alarmreport.cpp alarmengine/alarmreport.h
    alarmengine/alarmscan.cpp alarmengine/alarmscan.h
    alarmengine/alarmsound.h
    alarmengine/alarmview.h
    alarmengine/enginememory.cpp alarmengine/enginememory.h
    alarmengine/nextdue.cpp alarmengine/nextdue.h
    alarmengine/schedule.cpp alarmengine/schedule.h
    alarmengine/soundchain.cpp alarmengine/soundchain.h
)
