# The real media engines, got from the media module (and the sound program)
# as the program gets them.
#
# On Windows, run under Wine: the built-in sounds' format and the tone on Qt's
# sound output, and files that fail on Media Foundation (which under Wine
# fails every file, so nothing there would show its playing). The sound output
# is the PulseAudio server that scripts/build-windows.sh starts.
if(WIN32)
    add_executable(tst_mediaengine tst_mediaengine.cpp)
    target_link_libraries(tst_mediaengine PRIVATE tockaro_gui Qt6::Multimedia Qt6::Test)
    target_compile_definitions(tst_mediaengine PRIVATE TOCKARO_SOUNDS_DIR="${TOCKARO_SOUNDS_DIR}"
        TOCKARO_MEDIA_MODULE_FILE="$<TARGET_FILE:tockaro_media>")
    add_dependencies(tst_mediaengine sounds tockaro_media)
    add_test(NAME tst_mediaengine COMMAND tst_mediaengine)
    set_tests_properties(tst_mediaengine PROPERTIES TIMEOUT 300
        ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    return()
endif()

# Elsewhere media files of every format the player takes, made at build time
# so the real engines are tested on real files without shipping any (the test
# writes the MIDI). The test follows the engines on GStreamer, the sound
# program's and Qt Multimedia's (what they map, a pipe among the files).
if(NOT TOCKARO_GSTREAMER)
    return()
endif()
find_program(GST_LAUNCH_EXECUTABLE gst-launch-1.0)
find_program(SOX_EXECUTABLE sox)
find_program(LAME_EXECUTABLE lame)
if(NOT GST_LAUNCH_EXECUTABLE OR NOT SOX_EXECUTABLE OR NOT LAME_EXECUTABLE)
    message(STATUS "gst-launch-1.0, sox or lame missing: the real media engine is not tested")
    return()
endif()

set(media_dir ${CMAKE_CURRENT_BINARY_DIR}/media)
file(MAKE_DIRECTORY ${media_dir})
# 40 video frames at 25/s and 65 audio buffers of 1024 samples at 44.1 kHz: 1.6 s.
set(video videotestsrc num-buffers=40 ! video/x-raw,width=160,height=120,framerate=25/1)
set(audio audiotestsrc num-buffers=65 ! audioconvert)
set(gst ${GST_LAUNCH_EXECUTABLE} -q)
set(test_media)
function(tockaro_media name)
    add_custom_command(OUTPUT ${media_dir}/${name} COMMAND ${ARGN}
        DEPENDS ${test_media} WORKING_DIRECTORY ${media_dir} VERBATIM)
    set(test_media ${test_media} ${media_dir}/${name} PARENT_SCOPE)
endfunction()
tockaro_media(short.wav ${SOX_EXECUTABLE} -n -r 22050 -c 1 -b 16 short.wav synth 1.5 sine 550)
# A third of a second, for a loop that wraps a few times in a moment.
tockaro_media(blip.wav ${SOX_EXECUTABLE} -n -r 22050 -c 1 -b 16 blip.wav synth 0.3 sine 880)
tockaro_media(tone.mp3 ${LAME_EXECUTABLE} --quiet -b 64 short.wav tone.mp3)
tockaro_media(tone.wma ${gst} ${audio} ! avenc_wmav2 ! asfmux ! filesink location=tone.wma)
tockaro_media(clip.avi ${gst} ${video} ! avenc_mpeg4 ! avimux name=m ! filesink location=clip.avi
    ${audio} ! lamemp3enc ! m.)
# Twelve seconds, long enough for the end-to-end run to look at the picture of an alarm's video
# on a busy machine.
tockaro_media(film.avi ${gst} videotestsrc num-buffers=300
    ! video/x-raw,width=160,height=120,framerate=25/1 ! avenc_mpeg4 ! avimux ! filesink location=film.avi)
add_custom_target(test_media DEPENDS ${test_media})

# The engines come from the media module and the sound program as the program
# gets them; Qt Multimedia and GStreamer are linked only to look at what the
# engines gave them, and the sound program's engine to look into it.
add_executable(tst_mediaengine tst_mediaengine.cpp ${CMAKE_SOURCE_DIR}/platform/gstaudioengine.cpp)
target_link_libraries(tst_mediaengine PRIVATE tockaro_gui tockaro_gstreamer_tuning Qt6::Multimedia
    Qt6::Test PkgConfig::GStreamerVideo)
target_compile_definitions(tst_mediaengine PRIVATE TOCKARO_GSTREAMER
    TOCKARO_TEST_MEDIA_DIR="${media_dir}"
    TOCKARO_MEDIA_MODULE_FILE="$<TARGET_FILE:tockaro_media>"
    TOCKARO_SOUND_PROGRAM_FILE="$<TARGET_FILE:tockaro-sound>")
add_dependencies(tst_mediaengine test_media tockaro_media tockaro-sound)
add_test(NAME tst_mediaengine COMMAND tst_mediaengine)
set(environment QT_QPA_PLATFORM=offscreen)
if(TOCKARO_SANITIZE)
    list(APPEND environment ASAN_OPTIONS=fast_unwind_on_malloc=0
        LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp)
endif()
set_tests_properties(tst_mediaengine PROPERTIES TIMEOUT 300 ENVIRONMENT "${environment}")
