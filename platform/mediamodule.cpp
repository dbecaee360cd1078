#include "platform/mediamodule.h"

#include "base/logging.h"
#include "platform/soundprocess.h"

#include <QDir>
#include <QLibrary>

#include <utility>

namespace {

// Stands in for an engine when there is none to make: the file fails at once.
class NoMediaEngine final : public MediaEngine {
public:
    explicit NoMediaEngine(QString reason) : m_error(std::move(reason)) {}

    void setListener(MediaEngineListener *listener) override { m_listener = listener; }
    void open(const QString &) override
    {
        // Said on open, as a real engine says it once it has tried the file.
        if (m_listener && !m_told) {
            m_told = true;
            m_listener->statusChanged(MediaStatus::Failed);
        }
    }
    void run() override {}
    void pause() override {}
    void setVolume(int centibels) override { m_volume = centibels; }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return 0; }
    qint64 position() const override { return 0; }
    void seek(qint64) override {}
    MediaStatus status() const override { return MediaStatus::Failed; }
    QString errorString() const override { return m_error; }

private:
    QString m_error;
    MediaEngineListener *m_listener = nullptr;
    bool m_told = false;
    int m_volume = 0;
};

} // namespace

ModuleMediaEngineFactory::ModuleMediaEngineFactory(const QString &mediaModulePath,
                                                   const QString &soundProgramPath)
    : m_media(mediaModulePath)
{
    if (!soundProgramPath.isEmpty())
        m_sounds = std::make_unique<SoundProcessEngines>(soundProgramPath);
}

ModuleMediaEngineFactory::~ModuleMediaEngineFactory() = default;

QString ModuleMediaEngineFactory::modulePath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral(TOCKARO_MEDIA_MODULE));
}

QString ModuleMediaEngineFactory::soundProgramPath(const QString &programFolder)
{
#ifdef TOCKARO_SOUND_PROGRAM
    return QDir(programFolder).filePath(QStringLiteral(TOCKARO_SOUND_PROGRAM));
#else
    Q_UNUSED(programFolder)
    return {};
#endif
}

std::unique_ptr<MediaEngine> ModuleMediaEngineFactory::create(QWidget &videoArea,
                                                              const QString &file)
{
    if (m_sounds && !m_sounds->startFailed())
        return m_sounds->create(videoArea, file);
    if (!m_media.loadTried)
        m_media.load();
    if (!m_media.engines)
        return std::make_unique<NoMediaEngine>(m_media.loadError);
    return m_media.engines->create(videoArea, file);
}

void ModuleMediaEngineFactory::Module::load()
{
    loadTried = true;
    // Unloading would pull the code from under engines and the libraries'
    // own registrations, so a module stays for the rest of the process.
    QLibrary module(path);
    module.setLoadHints(QLibrary::PreventUnloadHint);
    const auto entry = reinterpret_cast<MediaModuleEntry>(module.resolve(kMediaModuleEntry));
    if (!entry)
        loadError = QStringLiteral("No media module: %1").arg(module.errorString());
    else if (engines.reset(entry()); !engines)
        loadError = QStringLiteral("The media module %1 could not start.").arg(module.fileName());
    if (engines)
        qCInfo(lcPlayback).noquote() << "media module loaded from" << module.fileName();
    else
        qCInfo(lcPlayback).noquote() << loadError;
}
