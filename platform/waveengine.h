#pragma once

#include "playback/mediaengine.h"

#include <QString>

#include <memory>

// An engine for `file` when it is a WAV of plain PCM, else null. It reads the
// file itself and hands its frames to Qt's sound output (QAudioSink) in the
// output's own format, so that no codec and no converter of the system's takes
// part: the built-in sounds and the alarm tone play where Media Foundation is
// missing (Windows N editions) or refuses every file (Wine). A repeated file
// runs from its end straight into its start, without a gap.
std::unique_ptr<MediaEngine> makeWaveEngine(const QString &file);
