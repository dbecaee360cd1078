#pragma once

#include <QByteArrayView>

// Installed with CAP_WAKE_ALARM, the program is a privileged executable: the
// kernel marks it so (AT_SECURE) whoever starts it, with whatever environment
// and command line. Qt and GStreamer load plugins from folders these name, so
// another local user could run code of their own with the capability. Before
// the application object is made, a privileged start drops what names such
// folders or plugins and pins GStreamer's plugins to the system's own folder
// (its default would also take them from the starter's home folder).

// True when the kernel marks the process as privileged; never elsewhere.
bool runsPrivileged();

// Whether the environment variable `name` tells Qt, GStreamer or the
// libraries below them where to load code from.
bool namesPluginPlace(QByteArrayView name);

// Takes Qt's options that load plugins (-platformpluginpath PATH, -plugin
// NAME, with one dash or two) out of argv; returns the new argc. argv[argc]
// stays null.
int withoutPluginOptions(int argc, char *argv[]);

// All of the above, when privileged: the environment cleaned and argv
// shortened. Returns the new argc.
int dropPluginLoadingWhenPrivileged(int argc, char *argv[]);
