list(APPEND TOCKARO_CORE_SOURCES
    app/atomicfile.cpp app/atomicfile.h
    app/bigcformstate.h
    app/clock.cpp app/clock.h
    app/clocktext.cpp app/clocktext.h
    app/dragsnap.cpp app/dragsnap.h
    app/instanceguard.cpp app/instanceguard.h
    app/logging.cpp app/logging.h
    app/programend.cpp app/programend.h
    app/secondticker.cpp app/secondticker.h
    app/textlines.cpp app/textlines.h
    app/traymessage.cpp app/traymessage.h
    app/windowsizing.cpp app/windowsizing.h
)
list(APPEND TOCKARO_GUI_SOURCES
    app/bigcform.cpp app/bigcform.h
    app/clockbas.cpp app/clockbas.h
    app/dialogs.cpp app/dialogs.h
    app/topmost.cpp app/topmost.h
)
