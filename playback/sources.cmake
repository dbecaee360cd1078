list(APPEND TOCKARO_CORE_SOURCES
    playback/mediafilter.cpp playback/mediafilter.h
    playback/isvideo.cpp playback/isvideo.h
    playback/playerlogic.cpp playback/playerlogic.h
    playback/soundtable.cpp playback/soundtable.h
    playback/volume.cpp playback/volume.h
)
list(APPEND TOCKARO_GUI_SOURCES
    playback/frmdshow.cpp playback/frmdshow.h
    playback/mediaengine.h
    playback/mediamodule.cpp playback/mediamodule.h
)
# The module is built apart from the libraries, so the volume map it needs is
# compiled into it rather than taken from the program.
list(APPEND TOCKARO_MEDIA_MODULE_SOURCES
    playback/gstreamertuning.cpp playback/gstreamertuning.h
    playback/isvideo.cpp playback/isvideo.h
    playback/mediaengine.h
    playback/qtmediaengine.cpp
    playback/volume.cpp playback/volume.h
)
