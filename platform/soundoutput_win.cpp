#include "platform/soundoutput.h"

#include <QScopeGuard>

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <objbase.h>

#include <memory>
#include <string>

namespace {

template <typename Interface> struct Releaser {
    void operator()(Interface *object) const { object->Release(); }
};
template <typename Interface> using ComPointer = std::unique_ptr<Interface, Releaser<Interface>>;

QString failure(const char *step, HRESULT result)
{
    return QStringLiteral("The sound output cannot be used (%1 failed, 0x%2).")
        .arg(QLatin1String(step))
        .arg(quint32(result), 8, 16, QLatin1Char('0'));
}

// The sample format as Qt's Windows sound output reads it from the mix
// format: only what it recognises there can match it exactly.
QAudioFormat::SampleFormat sampleFormatOf(const WAVEFORMATEX &mix)
{
    if (mix.wFormatTag == WAVE_FORMAT_IEEE_FLOAT)
        return QAudioFormat::Float;
    if (mix.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        const auto &extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE &>(mix);
        if (mix.cbSize >= 22 && extensible.SubFormat.Data1 == WAVE_FORMAT_IEEE_FLOAT &&
            mix.wBitsPerSample == 32)
            return QAudioFormat::Float;
        return QAudioFormat::Unknown;
    }
    if (mix.wFormatTag != WAVE_FORMAT_PCM)
        return QAudioFormat::Unknown;
    switch (mix.wBitsPerSample) {
    case 8:
        return QAudioFormat::UInt8;
    case 16:
        return QAudioFormat::Int16;
    case 32:
        return QAudioFormat::Int32;
    default:
        return QAudioFormat::Unknown;
    }
}

} // namespace

std::optional<QAudioFormat> outputMixFormat(const QByteArray &deviceId, QString &error)
{
    // Balanced here; the thread's own apartment, if it has one, is kept.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto uninitialise = qScopeGuard([initialised] {
        if (SUCCEEDED(initialised))
            CoUninitialize();
    });

    IMMDeviceEnumerator *enumerator = nullptr;
    HRESULT result =
        CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                         __uuidof(IMMDeviceEnumerator), reinterpret_cast<void **>(&enumerator));
    if (FAILED(result)) {
        error = failure("MMDeviceEnumerator", result);
        return std::nullopt;
    }
    const ComPointer<IMMDeviceEnumerator> devices(enumerator);

    const std::wstring id = QString::fromUtf8(deviceId).toStdWString();
    IMMDevice *found = nullptr;
    if (result = devices->GetDevice(id.c_str(), &found); FAILED(result)) {
        error = failure("GetDevice", result);
        return std::nullopt;
    }
    const ComPointer<IMMDevice> device(found);

    IAudioClient *activated = nullptr;
    result = device->Activate(__uuidof(IAudioClient), CLSCTX_INPROC_SERVER, nullptr,
                              reinterpret_cast<void **>(&activated));
    if (FAILED(result)) {
        error = failure("Activate", result);
        return std::nullopt;
    }
    const ComPointer<IAudioClient> client(activated);

    WAVEFORMATEX *mix = nullptr;
    if (result = client->GetMixFormat(&mix); FAILED(result)) {
        error = failure("GetMixFormat", result);
        return std::nullopt;
    }
    QAudioFormat format;
    format.setSampleRate(int(mix->nSamplesPerSec));
    format.setChannelCount(mix->nChannels);
    format.setSampleFormat(sampleFormatOf(*mix));
    CoTaskMemFree(mix);
    if (format.sampleFormat() == QAudioFormat::Unknown || format.channelCount() < 1) {
        error = QStringLiteral("The sound output mixes in a format that cannot be written to it.");
        return std::nullopt;
    }
    return format;
}
