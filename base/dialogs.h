#pragma once

#include <QString>

class QWidget;

// The program's dialogs. Tests answer them without showing a window.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The program's one message box: title "Tockaro Program", information icon,
    // a single OK button. Returns when the user has closed it.
    virtual void messg(const QString &text) = 0;

    // The same box without stopping anything: it returns at once, and the
    // box stays until closed while the other windows take their input.
    virtual void notice(const QString &text) = 0;

    // A file-open dialog; `filter` is in the form "Name|*.a;*.b|Name|*.c".
    // Returns the chosen file's full path, or an empty text when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &filter) = 0;
};
