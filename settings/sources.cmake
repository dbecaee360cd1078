list(APPEND TOCKARO_CORE_SOURCES
    settings/conffile.cpp settings/conffile.h
)
list(APPEND TOCKARO_GUI_SOURCES
    settings/frmoptions.cpp settings/frmoptions.h
)
