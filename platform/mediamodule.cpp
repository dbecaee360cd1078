#include "platform/mediamodule.h"

#include "base/logging.h"
#include "platform/failedengine.h"
#include "platform/soundprocess.h"

#include <QDir>
#include <QLibrary>

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
        return std::make_unique<FailedMediaEngine>(m_media.loadError);
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
