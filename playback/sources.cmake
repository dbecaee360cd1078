list(APPEND TOCKARO_CORE_SOURCES
    playback/mediafilter.cpp playback/mediafilter.h
    playback/soundtable.cpp playback/soundtable.h
)
