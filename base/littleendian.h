#pragma once

#include <QByteArray>
#include <QtEndian>

// Appends a number in the byte order of the file formats the program writes
// (WAV, ICO): least significant byte first.
inline void append16(QByteArray &bytes, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}

inline void append32(QByteArray &bytes, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}
