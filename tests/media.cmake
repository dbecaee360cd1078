# Short media files of every format the player takes, made at build time so
# the real engine is tested on real files without shipping any. Needs
# gst-launch-1.0 (with the base, good, bad, ugly and libav plugins), sox and
# lame; the MIDI file is written by the test itself.
find_program(GST_LAUNCH_EXECUTABLE gst-launch-1.0)
find_program(SOX_EXECUTABLE sox)
find_program(LAME_EXECUTABLE lame)

if(NOT GST_LAUNCH_EXECUTABLE OR NOT SOX_EXECUTABLE OR NOT LAME_EXECUTABLE)
    message(STATUS "gst-launch-1.0, sox or lame missing: the real media engine is not tested")
    return()
endif()

set(TOCKARO_TEST_MEDIA_DIR ${CMAKE_CURRENT_BINARY_DIR}/media)
file(MAKE_DIRECTORY ${TOCKARO_TEST_MEDIA_DIR})

set(video_caps video/x-raw,width=160,height=120,framerate=25/1)
# 40 video frames at 25/s and 65 audio buffers of 1024 samples at 44.1 kHz: 1.6 s.
set(video_source videotestsrc num-buffers=40 ! ${video_caps})
set(audio_source audiotestsrc num-buffers=65 ! audioconvert)

function(tockaro_media name)
    add_custom_command(
        OUTPUT ${TOCKARO_TEST_MEDIA_DIR}/${name}
        ${ARGN}
        WORKING_DIRECTORY ${TOCKARO_TEST_MEDIA_DIR}
        COMMENT "Making test media ${name}"
        VERBATIM)
    list(APPEND test_media ${TOCKARO_TEST_MEDIA_DIR}/${name})
    set(test_media ${test_media} PARENT_SCOPE)
endfunction()

# Mono 22.05 kHz keeps the three-second tone small; it leaves room to seek and pause.
tockaro_media(tone.wav
    COMMAND ${SOX_EXECUTABLE} -n -r 22050 -c 1 -b 16 tone.wav synth 3 sine 440 vol 0.5)
tockaro_media(short.wav
    COMMAND ${SOX_EXECUTABLE} -n -r 22050 -c 1 -b 16 short.wav synth 1.5 sine 550 vol 0.5)
tockaro_media(tone.mp3
    COMMAND ${LAME_EXECUTABLE} --quiet -b 64 short.wav tone.mp3
    DEPENDS ${TOCKARO_TEST_MEDIA_DIR}/short.wav)
tockaro_media(tone.wma
    COMMAND ${GST_LAUNCH_EXECUTABLE} -q ${audio_source} ! avenc_wmav2 ! asfmux
        ! filesink location=tone.wma)
tockaro_media(clip.avi
    COMMAND ${GST_LAUNCH_EXECUTABLE} -q ${video_source} ! avenc_mpeg4 ! avimux name=mux
        ! filesink location=clip.avi ${audio_source} ! lamemp3enc ! mux.)
tockaro_media(clip.mpg
    COMMAND ${GST_LAUNCH_EXECUTABLE} -q ${video_source} ! mpeg2enc ! mpegvideoparse
        ! mpegpsmux name=mux ! filesink location=clip.mpg
        ${audio_source} ! avenc_mp2 ! mpegaudioparse ! mux.)
tockaro_media(clip.mov
    COMMAND ${GST_LAUNCH_EXECUTABLE} -q ${video_source} ! x264enc ! h264parse ! qtmux name=mux
        ! filesink location=clip.mov ${audio_source} ! avenc_aac ! mux.)
tockaro_media(clip.flv
    COMMAND ${GST_LAUNCH_EXECUTABLE} -q ${video_source} ! avenc_flv ! flvmux name=mux
        ! filesink location=clip.flv ${audio_source} ! lamemp3enc ! mpegaudioparse ! mux.)

add_custom_target(test_media DEPENDS ${test_media})

# The engines come from the media module in the build tree, loaded as the
# program loads it; Qt Multimedia is linked only to look at what the module
# gave Qt.
add_executable(tst_mediaengine tst_mediaengine.cpp headlessmedia.h)
target_link_libraries(tst_mediaengine PRIVATE tockaro_gui Qt6::Multimedia Qt6::MultimediaWidgets
    Qt6::Test)
target_compile_definitions(tst_mediaengine PRIVATE
    TOCKARO_TEST_MEDIA_DIR="${TOCKARO_TEST_MEDIA_DIR}"
    TOCKARO_MEDIA_MODULE_FILE="$<TARGET_FILE:tockaro_media>")
add_dependencies(tst_mediaengine test_media tockaro_media)
add_test(NAME tst_mediaengine COMMAND tst_mediaengine)
# Links the tuning's source for its class test; the plays go through the module.
add_executable(tst_mediafootprint tst_mediafootprint.cpp headlessmedia.h
    ../playback/gstreamertuning.cpp)
target_link_libraries(tst_mediafootprint PRIVATE tockaro_gui PkgConfig::GStreamer Qt6::Test)
target_compile_definitions(tst_mediafootprint PRIVATE
    TOCKARO_TEST_MEDIA_DIR="${TOCKARO_TEST_MEDIA_DIR}"
    TOCKARO_MEDIA_MODULE_FILE="$<TARGET_FILE:tockaro_media>")
add_dependencies(tst_mediafootprint test_media tockaro_media)
add_test(NAME tst_mediafootprint COMMAND tst_mediafootprint)
# The fake sink stands in for a sound card; the other backend of Qt
# Multimedia crashes without one.
set(media_test_environment
    QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=gstreamer GST_PLUGIN_FEATURE_RANK=fakeaudiosink:MAX)
if(TOCKARO_SANITIZE)
    list(APPEND media_test_environment ASAN_OPTIONS=fast_unwind_on_malloc=0
        LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp)
endif()
set_tests_properties(tst_mediaengine tst_mediafootprint PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "${media_test_environment}")
