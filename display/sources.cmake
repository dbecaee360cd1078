list(APPEND TOCKARO_CORE_SOURCES
    display/ledglyph.cpp display/ledglyph.h
    display/ledlayout.cpp display/ledlayout.h
)
list(APPEND TOCKARO_GUI_SOURCES
    display/ledclock.cpp display/ledclock.h
)
