list(APPEND TOCKARO_CORE_SOURCES
    app/clocktext.cpp app/clocktext.h
    app/commandline.cpp app/commandline.h
    app/dragsnap.cpp app/dragsnap.h
    app/programfiles.cpp app/programfiles.h
    app/runstate.cpp app/runstate.h
    app/traymessage.cpp app/traymessage.h
    app/windowsizing.cpp app/windowsizing.h
)
list(APPEND TOCKARO_GUI_SOURCES
    app/bigcform.cpp app/bigcform.h
    app/clockbas.cpp app/clockbas.h
    app/digitpainterdriver.cpp app/digitpainterdriver.h
    app/playersound.cpp app/playersound.h
    app/program.cpp app/program.h
    app/traymenu.cpp app/traymenu.h
)
