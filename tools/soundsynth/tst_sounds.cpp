// Checks the generated Sounds folder: every built-in sound must be a WAV the player can open,
// safe to play loud first thing in the morning, and recognisably its own sound.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const QString SoundsDir = QStringLiteral(TOCKARO_SOUNDS_DIR);
const QString ChimeFile = QStringLiteral("chimering.MP3");
constexpr std::array<const char *, 10> SoundFiles{
    "alarm.wav",     "alarm_3.wav",  "astalavista.wav", "bells.wav",   "electronics.wav",
    "household.wav", "Maribell.wav", "Moo.wav",         "musical.wav", "Ricochet.wav"};
constexpr double FullScale = 32768.0;

struct Wav {
    QString error;
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 bits = 0;
    std::vector<qint16> samples; // channels interleaved

    double seconds() const { return double(samples.size()) / channels / sampleRate; }
};

// Walks the RIFF chunks instead of assuming the common 44-byte header, as players do.
Wav readWav(const QString &path)
{
    Wav wav;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        wav.error = QStringLiteral("cannot open ") + path;
        return wav;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        wav.error = QStringLiteral("not a RIFF/WAVE file");
        return wav;
    }
    QByteArray data;
    for (qsizetype pos = 12; pos + 8 <= bytes.size();) {
        const char *chunk = bytes.constData() + pos;
        const qsizetype size = qFromLittleEndian<quint32>(chunk + 4);
        if (pos + 8 + size > bytes.size()) {
            wav.error = QStringLiteral("chunk runs past the end of the file");
            return wav;
        }
        if (bytes.mid(pos, 4) == "fmt " && size >= 16) {
            wav.format = qFromLittleEndian<quint16>(chunk + 8);
            wav.channels = qFromLittleEndian<quint16>(chunk + 10);
            wav.sampleRate = qFromLittleEndian<quint32>(chunk + 12);
            wav.bits = qFromLittleEndian<quint16>(chunk + 22);
        } else if (bytes.mid(pos, 4) == "data") {
            data = bytes.mid(pos + 8, size);
        }
        pos += 8 + size + (size & 1);
    }
    if (wav.format != 1 || wav.bits != 16 || wav.channels == 0 || wav.channels > 2 ||
        data.isEmpty()) {
        wav.error = QStringLiteral("no 16-bit PCM format block with sample data");
        return wav;
    }
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        wav.samples.push_back(qFromLittleEndian<qint16>(data.constData() + i));
    return wav;
}

double rms(const qint16 *begin, const qint16 *end)
{
    double sum = 0.0;
    for (const qint16 *s = begin; s != end; ++s)
        sum += double(*s) * *s;
    return std::sqrt(sum / double(end - begin)) / FullScale;
}

// Coarse character of a sound: length, brightness (zero crossings a second) and loudness contour
// in eighths relative to the whole. A copy at another gain, or with a little noise, matches.
struct Fingerprint {
    double seconds;
    double crossingsPerSecond;
    std::array<double, 8> contour;

    bool clearlyDiffers(const Fingerprint &other) const
    {
        double contourDistance = 0.0;
        for (std::size_t i = 0; i < contour.size(); ++i)
            contourDistance += std::abs(contour[i] - other.contour[i]) / contour.size();
        const double brightness = std::abs(crossingsPerSecond - other.crossingsPerSecond) /
                                  std::max(crossingsPerSecond, other.crossingsPerSecond);
        return std::abs(seconds - other.seconds) >= 0.1 || brightness >= 0.05 ||
               contourDistance >= 0.05;
    }
};

Fingerprint fingerprint(const Wav &wav)
{
    const std::vector<qint16> &s = wav.samples;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    Fingerprint print{wav.seconds(), crossings / wav.seconds(), {}};
    const double whole = rms(s.data(), s.data() + s.size());
    const std::size_t part = s.size() / print.contour.size();
    for (std::size_t i = 0; i < print.contour.size(); ++i)
        print.contour[i] = rms(s.data() + i * part, s.data() + (i + 1) * part) / whole;
    return print;
}

} // namespace

class TestSounds final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void folderHoldsExactlyTheBuiltInSounds()
    {
        QStringList expected{ChimeFile};
        for (const char *name : SoundFiles)
            expected.append(QString::fromLatin1(name));
        expected.sort();
        QCOMPARE(QDir(SoundsDir).entryList(QDir::Files, QDir::Name), expected);
    }

    void soundIsSafeToPlay_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : SoundFiles)
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void soundIsSafeToPlay()
    {
        QFETCH(QString, file);
        const Wav wav = readWav(SoundsDir + u'/' + file);
        QVERIFY2(wav.error.isEmpty(), qPrintable(wav.error));
        QVERIFY(wav.sampleRate == 44100 || wav.sampleRate == 22050);
        QVERIFY2(wav.seconds() >= 1.0 && wav.seconds() <= 3.0,
                 qPrintable(QString::number(wav.seconds())));

        int peak = 0;
        for (qint16 s : wav.samples)
            peak = std::max(peak, std::abs(int(s)));
        QVERIFY2(peak <= 0.95 * FullScale, "clipped or at the edge of clipping");
        QVERIFY2(rms(wav.samples.data(), wav.samples.data() + wav.samples.size()) >= 0.03,
                 "too quiet to wake anyone");
        // A sample far from zero at either end is heard as a click when playback starts or loops.
        QVERIFY(std::abs(wav.samples.front()) <= 0.01 * FullScale);
        QVERIFY(std::abs(wav.samples.back()) <= 0.01 * FullScale);
    }

    void soundsAreDistinct()
    {
        std::vector<QByteArray> hashes;
        std::vector<Fingerprint> prints;
        for (const char *name : SoundFiles) {
            const Wav wav = readWav(SoundsDir + u'/' + QLatin1String(name));
            QVERIFY2(wav.error.isEmpty(), name);
            hashes.push_back(QCryptographicHash::hash(
                QByteArrayView(reinterpret_cast<const char *>(wav.samples.data()),
                               qsizetype(wav.samples.size() * sizeof(qint16))),
                QCryptographicHash::Sha256));
            prints.push_back(fingerprint(wav));
        }
        for (std::size_t a = 0; a < prints.size(); ++a) {
            for (std::size_t b = a + 1; b < prints.size(); ++b) {
                const QByteArray pair = QByteArray(SoundFiles[a]) + " / " + SoundFiles[b];
                QVERIFY2(hashes[a] != hashes[b], pair.constData());
                QVERIFY2(prints[a].clearlyDiffers(prints[b]), pair.constData());
            }
        }
    }

    // Every frame header must chain to the next up to the end of the file, as a decoder reads it.
    void chimeIsMpegLayer3()
    {
        QFile file(SoundsDir + u'/' + ChimeFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto *b = reinterpret_cast<const quint8 *>(bytes.constData());
        const auto id3v1At = [&bytes](qsizetype pos) {
            return bytes.mid(pos, 3) == "TAG";
        };

        qsizetype pos = 0;
        if (bytes.startsWith("ID3") && bytes.size() >= 10) // skip the tag; its size is syncsafe
            pos = 10 + (b[6] << 21 | b[7] << 14 | b[8] << 7 | b[9]);
        constexpr std::array Kbps{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
        constexpr std::array Rates{44100, 48000, 32000};
        int frames = 0;
        int rate = 0;
        while (pos + 4 <= bytes.size() && !id3v1At(pos)) {
            QVERIFY2(b[pos] == 0xFF && (b[pos + 1] & 0xFE) == 0xFA, "no MPEG-1 Layer III frame");
            const int bitrate = b[pos + 2] >> 4;
            const int rateIndex = (b[pos + 2] >> 2) & 0x3;
            QVERIFY(bitrate != 0 && bitrate != 15 && rateIndex != 3);
            rate = Rates[rateIndex];
            pos += 144000 * Kbps[bitrate] / rate + ((b[pos + 2] >> 1) & 1);
            ++frames;
        }
        QVERIFY2(pos == bytes.size() || id3v1At(pos), "truncated frame");
        QVERIFY(frames > 0 && bytes.size() > 8000);
        const double seconds = frames * 1152.0 / rate;
        QVERIFY2(seconds >= 1.5 && seconds <= 4.2, qPrintable(QString::number(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
