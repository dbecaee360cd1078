list(APPEND TOCKARO_CORE_SOURCES
    app/alarmqueue.cpp app/alarmqueue.h
    app/alarmscan.cpp app/alarmscan.h
    app/clocktext.cpp app/clocktext.h
    app/commandline.cpp app/commandline.h
    app/dragsnap.cpp app/dragsnap.h
    app/nextdue.cpp app/nextdue.h
    app/programfiles.cpp app/programfiles.h
    app/schedule.cpp app/schedule.h
    app/traymessage.cpp app/traymessage.h
    app/windowsizing.cpp app/windowsizing.h
)
list(APPEND TOCKARO_GUI_SOURCES
    app/alarminprogress.cpp app/alarminprogress.h
    app/bigcform.cpp app/bigcform.h
    app/bigcformstate.h
    app/clockbas.cpp app/clockbas.h
)
