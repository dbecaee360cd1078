# Runs first at install time: a prefix whose name holds a control character
# (a line break, a tab) is refused before anything is written. The menu entry
# names the program by its path, and a line break there would end Exec and
# start a line of the path's own making; no quoting carries one through.

set(controls "")
foreach(code RANGE 1 31)
    string(ASCII ${code} control)
    string(APPEND controls "${control}")
endforeach()
string(ASCII 127 delete)
if("$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" MATCHES "[${controls}${delete}]")
    string(REGEX REPLACE "[${controls}${delete}]" "?" shown "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    message(FATAL_ERROR "The install folder \"${shown}\" holds a control character (shown as ?), "
        "such as a line break or a tab: the desktop's menu entry could not name the program "
        "there. Install into a folder whose name has none.")
endif()
