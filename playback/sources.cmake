list(APPEND TOCKARO_CORE_SOURCES
    playback/isvideo.cpp playback/isvideo.h
    playback/playerlogic.cpp playback/playerlogic.h
    playback/soundtable.cpp playback/soundtable.h
    playback/volume.cpp playback/volume.h
)
