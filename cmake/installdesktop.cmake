# Runs at install time, after the program folder is laid out: the menu entry,
# the icon in the hicolor theme and the AppStream metainfo. A prefix inside the
# user's home folder is that user's own install, so these go where the user's
# desktop looks, the XDG data folder ($XDG_DATA_HOME, else ~/.local/share); any
# other prefix gets them under PREFIX/share.
# Set before it runs: TOCKARO_SOURCE_DIR, TOCKARO_BINARY_DIR, TOCKARO_ICONS_DIR,
# TOCKARO_APP_ID.

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(data_dir "${prefix}/share")
set(home "$ENV{HOME}")
if(IS_ABSOLUTE "${home}" AND NOT home STREQUAL "/")
    string(FIND "${prefix}/" "${home}/" at)
    if(at EQUAL 0)
        set(data_dir "${home}/.local/share")
        if(IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
            set(data_dir "$ENV{XDG_DATA_HOME}")
        endif()
    endif()
endif()

# Exec names the installed program by its absolute path.
include(${CMAKE_CURRENT_LIST_DIR}/desktopexec.cmake)
tockaro_desktop_exec(exec "${prefix}/tockaro")

file(READ "${TOCKARO_SOURCE_DIR}/assets/tockaro.desktop.in" entry)
string(REPLACE "@TOCKARO_EXEC@" "${exec}" entry "${entry}")
set(entry_file "${TOCKARO_BINARY_DIR}/${TOCKARO_APP_ID}.desktop")
file(WRITE "${entry_file}" "${entry}")

file(INSTALL "${entry_file}" DESTINATION "${data_dir}/applications")
file(INSTALL "${TOCKARO_ICONS_DIR}/" DESTINATION "${data_dir}/icons/hicolor")
file(INSTALL "${TOCKARO_SOURCE_DIR}/assets/${TOCKARO_APP_ID}.metainfo.xml"
    DESTINATION "${data_dir}/metainfo")
