# What every folder uses. The pure helpers and the seams' interfaces go with the
# logic; topmost, a window helper, goes with the windows.
list(APPEND TOCKARO_CORE_SOURCES
    base/clock.h
    base/dialogs.h
    base/digitpainter.h
    base/instanceguard.h
    base/littleendian.h
    base/logging.cpp base/logging.h
    base/poweroff.h
    base/programend.h
    base/remoterequest.cpp base/remoterequest.h
    base/result.h
    base/rounding.cpp base/rounding.h
    base/sleepinhibitor.h
    base/textlines.cpp base/textlines.h
    base/ticksource.h
    base/timeunits.h
    base/twips.h
    base/waketimer.h
)
list(APPEND TOCKARO_GUI_SOURCES
    base/topmost.cpp base/topmost.h
)
