#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Replaces the file at `path` with `bytes` in one step: the old file stays whole
// until the new one is completely on disk, whatever happens meanwhile. Returns
// the reason when the file could not be written.
std::optional<QString> saveFileAtomically(const QString &path, const QByteArray &bytes);
