#include "app/dialogs.h"

#include <QMessageBox>

void QtDialogs::messg(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tockaro Program"), text,
                    QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}
