#include "platform/privilegedstart.h"

#include <QByteArray>
#include <QList>

#include <array>

#ifdef Q_OS_LINUX
#include <cstdlib>
#include <sys/auxv.h>

extern char **environ;
#endif

namespace {

// The variables that say where code comes from, each with the names that
// add "_" and more to it: Qt's plugin and import paths; GStreamer's plugin
// paths, its registry (a cache of plugin files) and its scanner program; the
// module paths of GLib's GIO, of GTK and of its image loaders (Qt's GTK theme
// loads them); and the plugin and driver paths that GStreamer's plugins and
// the graphics stack read.
constexpr std::array kPluginPlaces = {"QT_PLUGIN_PATH",
                                      "QT_QPA_PLATFORM_PLUGIN_PATH",
                                      "QML_IMPORT_PATH",
                                      "QML2_IMPORT_PATH",
                                      "GST_PLUGIN",
                                      "GST_REGISTRY",
                                      "GIO_EXTRA_MODULES",
                                      "GIO_MODULE_DIR",
                                      "GTK_PATH",
                                      "GTK_MODULES",
                                      "GTK3_MODULES",
                                      "GTK_IM_MODULE_FILE",
                                      "GTK_EXE_PREFIX",
                                      "GDK_PIXBUF_MODULE_FILE",
                                      "GDK_PIXBUF_MODULEDIR",
                                      "LADSPA_PATH",
                                      "FREI0R_PATH",
                                      "LV2_PATH",
                                      "LIBVA_DRIVERS_PATH",
                                      "VDPAU_DRIVER_PATH",
                                      "LIBGL_DRIVERS_PATH",
                                      "__EGL_VENDOR_LIBRARY"};

} // namespace

bool namesPluginPlace(QByteArrayView name)
{
    for (const QByteArrayView place : kPluginPlaces) {
        if (name.startsWith(place) && (name.size() == place.size() || name.at(place.size()) == '_'))
            return true;
    }
    return false;
}

int withoutPluginOptions(int argc, char *argv[])
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        QByteArrayView option(argv[i]);
        if (option.startsWith("--"))
            option = option.sliced(1);
        if (option == "-platformpluginpath" || option == "-plugin") {
            ++i; // and its value
            continue;
        }
        argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    return kept;
}

#ifdef Q_OS_LINUX

bool runsPrivileged()
{
    return getauxval(AT_SECURE) != 0;
}

int dropPluginLoadingWhenPrivileged(int argc, char *argv[])
{
    if (!runsPrivileged())
        return argc;
    QList<QByteArray> names;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArrayView variable(*entry);
        const QByteArrayView name = variable.first(qMax<qsizetype>(variable.indexOf('='), 0));
        if (namesPluginPlace(name))
            names.append(name.toByteArray());
    }
    for (const QByteArray &name : names)
        ::unsetenv(name.constData());
    ::setenv("GST_PLUGIN_SYSTEM_PATH_1_0", TOCKARO_GST_PLUGIN_DIR, 1);
    return withoutPluginOptions(argc, argv);
}

#else

bool runsPrivileged()
{
    return false;
}

int dropPluginLoadingWhenPrivileged(int argc, char *[])
{
    return argc;
}

#endif
