# The adapters to the world behind the seams: the real clock and ticker, the
# folder lock, the end of the event loop, the files, the dialogs, the power-off
# command, the desktop (autostart, tray, signals, a second start, the
# notifications), the wake timer, the painter of the digits, the loader of the
# media module and the sound program's engines.
list(APPEND TOCKARO_PLATFORM_SOURCES
    platform/alarmfilestore.cpp platform/alarmfilestore.h
    platform/autostart.h
    platform/desktopnotifications.cpp platform/desktopnotifications.h
    platform/endsignals.cpp platform/endsignals.h
    platform/eventloopend.cpp platform/eventloopend.h
    platform/failedengine.h
    platform/files.cpp platform/files.h
    platform/folderlock.cpp platform/folderlock.h
    platform/mediamodule.cpp platform/mediamodule.h
    platform/privilegedstart.cpp platform/privilegedstart.h
    platform/qtdialogs.cpp platform/qtdialogs.h
    platform/secondticker.cpp platform/secondticker.h
    platform/showrequests.h
    platform/soundprocess.cpp platform/soundprocess.h
    platform/systemclock.cpp platform/systemclock.h
    platform/systempoweroff.cpp platform/systempoweroff.h
    platform/systemsleepinhibitor.h
    platform/systemwaketimer.h
    platform/traywatch.cpp platform/traywatch.h
    platform/userfolders.cpp platform/userfolders.h
    platform/xcbdigitpainter.cpp platform/xcbdigitpainter.h
)
# The autostart entry, the wake timer, the lock against sleep and the requests
# of a second start, one file per platform (the free desktops share the XDG
# autostart entry).
if(WIN32)
    list(APPEND TOCKARO_PLATFORM_SOURCES platform/autostart_win.cpp
        platform/showrequests_win.cpp
        platform/systemsleepinhibitor_win.cpp platform/systemwaketimer_win.cpp)
else()
    list(APPEND TOCKARO_PLATFORM_SOURCES platform/autostart.cpp
        platform/showrequests.cpp
        platform/systemsleepinhibitor_linux.cpp platform/systemwaketimer_linux.cpp)
endif()
# The media module (Qt Multimedia) and the sound program (GStreamer alone),
# behind the media engine interface. They are built apart from the libraries,
# so the pure helpers they need are compiled into them rather than taken from
# the program.
list(APPEND TOCKARO_MEDIA_MODULE_SOURCES
    platform/enginereport.h
    platform/failedengine.h
    platform/playablefile.h
    platform/qtmediaengine.cpp
    playback/mediaengine.h
)
# Without a sound program (Windows) the module plays sounds too, and a WAV of
# plain PCM goes to the sound output without a codec.
if(WIN32)
    list(APPEND TOCKARO_MEDIA_MODULE_SOURCES
        platform/soundoutput.h platform/soundoutput_win.cpp
        platform/waveengine.cpp platform/waveengine.h
        platform/wavefile.cpp platform/wavefile.h)
    set_source_files_properties(platform/qtmediaengine.cpp PROPERTIES
        COMPILE_DEFINITIONS TOCKARO_WAVE_ENGINE)
endif()
# What the program, the media module and the sound program share, compiled
# once: the line protocol of the sound program's pipe (the volume rule and the
# video test are the playback folder's), and GStreamer's tuning, which the
# module and the sound program share without the program.
list(APPEND TOCKARO_MEDIA_COMMON_SOURCES
    platform/soundpipe.cpp platform/soundpipe.h
)
if(TOCKARO_GSTREAMER)
    list(APPEND TOCKARO_GSTREAMER_TUNING_SOURCES
        platform/gstreamertuning.cpp platform/gstreamertuning.h)
    list(APPEND TOCKARO_SOUND_PROGRAM_SOURCES
        platform/enginereport.h
        platform/gstaudioengine.cpp platform/gstaudioengine.h
        platform/playablefile.h
        platform/soundprogram.cpp
        playback/mediaengine.h
    )
endif()
