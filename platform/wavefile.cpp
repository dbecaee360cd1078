#include "platform/wavefile.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;
constexpr quint16 kExtensible = 0xfffe;
// The sub-format of an extensible header is a format tag in the first two
// bytes of a GUID whose other bytes are these.
constexpr char kSubFormatTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";
constexpr int kMaxChannels = 8;
constexpr quint32 kMinRate = 1000;
constexpr quint32 kMaxRate = 768'000;

quint16 le16(const char *bytes)
{
    return qFromLittleEndian<quint16>(bytes);
}

quint32 le32(const char *bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

struct Format {
    quint16 tag = 0;
    int channels = 0;
    quint32 rate = 0;
    int blockAlign = 0;
    int bits = 0;
};

std::optional<Format> readFormat(const QByteArray &chunk)
{
    if (chunk.size() < 16)
        return std::nullopt;
    const char *bytes = chunk.constData();
    Format format{le16(bytes), le16(bytes + 2), le32(bytes + 4), le16(bytes + 12),
                  le16(bytes + 14)};
    if (format.tag == kExtensible) {
        if (chunk.size() < 40 ||
            std::memcmp(bytes + 26, kSubFormatTail, sizeof kSubFormatTail - 1) != 0)
            return std::nullopt;
        format.tag = le16(bytes + 24);
    }
    return format;
}

std::optional<WaveLayout::Sample> sampleOf(const Format &format)
{
    if (format.tag == kFloat && format.bits == 32)
        return WaveLayout::Sample::Float32;
    if (format.tag != kPcm)
        return std::nullopt;
    switch (format.bits) {
    case 8:
        return WaveLayout::Sample::UInt8;
    case 16:
        return WaveLayout::Sample::Int16;
    case 24:
        return WaveLayout::Sample::Int24;
    case 32:
        return WaveLayout::Sample::Int32;
    default:
        return std::nullopt;
    }
}

} // namespace

int WaveLayout::bytesPerFrame() const
{
    switch (sample) {
    case Sample::UInt8:
        return channels;
    case Sample::Int16:
        return 2 * channels;
    case Sample::Int24:
        return 3 * channels;
    case Sample::Int32:
    case Sample::Float32:
        return 4 * channels;
    }
    return 0;
}

std::optional<WaveLayout> readWaveLayout(QIODevice &file)
{
    if (!file.seek(0))
        return std::nullopt;
    const QByteArray riff = file.read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8) != "WAVE")
        return std::nullopt;
    std::optional<Format> format;
    qint64 at = 12;
    // Chunks follow one another, each padded to an even length; the sound
    // is the first data chunk after the format.
    while (file.seek(at)) {
        const QByteArray header = file.read(8);
        if (header.size() != 8)
            return std::nullopt;
        const qint64 size = le32(header.constData() + 4);
        if (header.startsWith("fmt ")) {
            format = readFormat(file.read(qMin<qint64>(size, 40)));
            if (!format)
                return std::nullopt;
        } else if (header.startsWith("data")) {
            if (!format)
                return std::nullopt;
            const std::optional<WaveLayout::Sample> sample = sampleOf(*format);
            if (!sample || format->channels < 1 || format->channels > kMaxChannels ||
                format->rate < kMinRate || format->rate > kMaxRate)
                return std::nullopt;
            WaveLayout layout;
            layout.sample = *sample;
            layout.channels = format->channels;
            layout.rate = int(format->rate);
            layout.dataStart = at + 8;
            if (format->blockAlign != layout.bytesPerFrame())
                return std::nullopt;
            // A writer that stopped early leaves a length larger than the
            // file: the frames that are there are the sound.
            const qint64 bytes = qMin(size, file.size() - layout.dataStart);
            layout.frames = bytes / layout.bytesPerFrame();
            if (layout.frames < 1)
                return std::nullopt;
            return layout;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

void decodeFrames(const WaveLayout &layout, const char *bytes, qint64 count, float *out)
{
    const qint64 samples = count * layout.channels;
    for (qint64 i = 0; i < samples; ++i) {
        switch (layout.sample) {
        case WaveLayout::Sample::UInt8:
            out[i] = (static_cast<unsigned char>(bytes[i]) - 128) / 128.0f;
            break;
        case WaveLayout::Sample::Int16:
            out[i] = qFromLittleEndian<qint16>(bytes + 2 * i) / 32768.0f;
            break;
        case WaveLayout::Sample::Int24: {
            const char *sample = bytes + 3 * i;
            // The top byte carries the sign into the 32-bit value.
            const qint32 value = qint32(quint32(static_cast<unsigned char>(sample[0])) << 8 |
                                        quint32(static_cast<unsigned char>(sample[1])) << 16 |
                                        quint32(static_cast<unsigned char>(sample[2])) << 24);
            out[i] = float(value / 2147483648.0);
            break;
        }
        case WaveLayout::Sample::Int32:
            out[i] = float(qFromLittleEndian<qint32>(bytes + 4 * i) / 2147483648.0);
            break;
        case WaveLayout::Sample::Float32: {
            const float value = qFromLittleEndian<float>(bytes + 4 * i);
            // A damaged file must not put a NaN or a blast into the sound output.
            out[i] = std::isnan(value) ? 0.0f : std::clamp(value, -1.0f, 1.0f);
            break;
        }
        }
    }
}
