# The alarm record, the alarm file and the alarm windows.
list(APPEND TOCKARO_CORE_SOURCES
    alarms/alarmeditorlogic.cpp alarms/alarmeditorlogic.h
    alarms/alarmfile.cpp alarms/alarmfile.h
    alarms/alarmlistrows.cpp alarms/alarmlistrows.h
    alarms/alarmrecord.cpp alarms/alarmrecord.h
    alarms/alarmstore.h
    alarms/alarmtable.cpp alarms/alarmtable.h
)
list(APPEND TOCKARO_GUI_SOURCES
    alarms/frmaaddalarm.cpp alarms/frmaaddalarm.h
    alarms/frmalarms.cpp alarms/frmalarms.h
    alarms/playlistpanel.cpp alarms/playlistpanel.h
)
