#pragma once

#include "base/dialogs.h"

class QtDialogs final : public Dialogs {
public:
    void messg(const QString &text) override;
    void notice(const QString &text) override;
    QString openFileName(QWidget *parent, const QString &filter) override;
};
