#pragma once

#include <QString>
#include <QStringList>

// A name that stands for one program folder (its canonical path, hashed):
// "tockaro-" and 16 hex digits.
QString programFolderKey(const QString &programFolder);

// The folders of the user's session that nobody else may enter, where what
// belongs to one program folder (its lock, its socket) is safe from other
// users: $XDG_RUNTIME_DIR, then the system's usual one (/run/user/<uid>),
// each only when it is a folder, not a link, of the user's own with no access
// for anyone else, and each folder once. Empty where there are none.
QStringList privateRuntimeFolders();

#ifdef Q_OS_UNIX
// Opens the folder at `path` for the *at() calls, but only when it is a
// folder, not a link, of this user's that nobody else may enter; with
// `create`, one that is missing is made so first. -1 when it is not such a
// folder, and `why` says why.
int openPrivateFolder(const QString &path, bool create, QString &why);
#endif
