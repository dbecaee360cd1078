#pragma once

#include <QByteArrayView>
#include <QList>

// The lines of a text file, without their ends. The program writes CR LF;
// files edited elsewhere may end lines with CR or LF alone, or not end the
// last line at all.
QList<QByteArrayView> textLines(QByteArrayView bytes);
