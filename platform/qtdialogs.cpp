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

void QtDialogs::notice(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tockaro Program"), text,
                                QMessageBox::Ok);
    box->setObjectName(QStringLiteral("notice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->show();
}

QString QtDialogs::openFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), toFileDialogFilter(filter));
}
