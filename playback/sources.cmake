# The volume rule and the video test, which the media module and the sound
# program use as the program does.
list(APPEND TOCKARO_MEDIA_COMMON_SOURCES
    playback/isvideo.cpp playback/isvideo.h
    playback/volume.cpp playback/volume.h
)
list(APPEND TOCKARO_CORE_SOURCES
    playback/mediaengine.h
    playback/mediafilter.cpp playback/mediafilter.h
    playback/playerlogic.cpp playback/playerlogic.h
    playback/playlisttext.cpp playback/playlisttext.h
    playback/playrequest.h
    playback/soundtable.cpp playback/soundtable.h
    playback/tone.cpp playback/tone.h
)
list(APPEND TOCKARO_GUI_SOURCES
    playback/alarmwind.cpp playback/alarmwind.h
    playback/frmdshow.cpp playback/frmdshow.h
)
