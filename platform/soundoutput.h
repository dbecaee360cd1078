#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QString>

#include <optional>

// The format in which the sound output with the id `deviceId` mixes what its
// programs play. Sound given in exactly that format reaches the output as it
// is; in any other, Qt first converts it with Media Foundation, which a
// Windows N edition lacks and Wine refuses. Nothing, with the reason in
// `error`, when the output cannot tell or mixes in a format Qt cannot write.
std::optional<QAudioFormat> outputMixFormat(const QByteArray &deviceId, QString &error);
