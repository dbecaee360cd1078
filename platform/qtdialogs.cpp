#include "platform/qtdialogs.h"

#include "playback/mediafilter.h"

#include <QFileDialog>
#include <QMessageBox>

void QtDialogs::messg(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tockaro Program"), text,
                    QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

QString QtDialogs::openFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), toFileDialogFilter(filter));
}
