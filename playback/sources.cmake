list(APPEND TOCKARO_CORE_SOURCES
    playback/soundtable.cpp playback/soundtable.h
)
