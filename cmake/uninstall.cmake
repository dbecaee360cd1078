# Removes what `cmake --install` wrote, as its manifest lists it, the folders
# that it leaves empty and the autostart entry that starts the program, but
# never the settings (conf) or the alarms (als): they are the user's, whoever
# wrote them first.
#
# usage: cmake -D MANIFEST=BUILD/install_manifest.txt -P cmake/uninstall.cmake
# (`cmake --build BUILD --target uninstall` runs this)

if(NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "${MANIFEST} not found: nothing was installed from this build")
endif()
file(STRINGS "${MANIFEST}" listed)
# The manifest may spell the program folder's own files as DIR/./name.
set(installed)
foreach(file IN LISTS listed)
    cmake_path(NORMAL_PATH file)
    list(APPEND installed "${file}")
endforeach()

set(program_folder)
foreach(file IN LISTS installed)
    get_filename_component(name "${file}" NAME)
    if(name STREQUAL "tockaro")
        get_filename_component(program_folder "${file}" DIRECTORY)
    endif()
endforeach()

# The desktop session would go on starting a program that is gone: the
# autostart entry the options dialog wrote for this folder goes too. The
# program names it after its folder's real path and lets it start the
# program there; an entry that starts anything else is left alone.
if(program_folder AND IS_DIRECTORY "${program_folder}")
    file(REAL_PATH "${program_folder}" real_folder)
    string(SHA1 key "${real_folder}")
    string(SUBSTRING "${key}" 0 16 key)
    set(config "$ENV{XDG_CONFIG_HOME}")
    if(NOT IS_ABSOLUTE "${config}")
        set(config "$ENV{HOME}/.config")
    endif()
    set(autostart "${config}/autostart/tockaro-${key}.desktop")
    if(EXISTS "${autostart}" AND NOT IS_DIRECTORY "${autostart}")
        include(${CMAKE_CURRENT_LIST_DIR}/desktopexec.cmake)
        tockaro_desktop_exec(exec "${real_folder}/tockaro")
        file(READ "${autostart}" entry)
        string(FIND "${entry}" "\nExec=${exec}\n" at)
        if(NOT at EQUAL -1)
            file(REMOVE "${autostart}")
        endif()
    endif()
endif()

foreach(file IN LISTS installed)
    get_filename_component(name "${file}" NAME)
    if(name STREQUAL "conf" OR name STREQUAL "als")
        continue()
    endif()
    file(REMOVE "${file}")
    # Empty folders go too, up to the program folder; outside it (the user's
    # data folder) a folder named share is never taken.
    get_filename_component(dir "${file}" DIRECTORY)
    while(IS_DIRECTORY "${dir}" AND NOT dir STREQUAL program_folder)
        get_filename_component(dir_name "${dir}" NAME)
        string(FIND "${dir}/" "${program_folder}/" inside)
        file(GLOB left "${dir}/*" "${dir}/.*")
        if(left OR (dir_name STREQUAL "share" AND NOT inside EQUAL 0))
            break()
        endif()
        file(REMOVE_RECURSE "${dir}")
        get_filename_component(dir "${dir}" DIRECTORY)
    endwhile()
endforeach()
message(STATUS "Removed what ${MANIFEST} lists; conf and als are kept")
