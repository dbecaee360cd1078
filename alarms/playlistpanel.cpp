#include "alarms/playlistpanel.h"

#include "base/dialogs.h"
#include "playback/mediafilter.h"
#include "playback/playlisttext.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kLocationColumn = 1;
// The file name takes half the list, the location the rest.
constexpr int kListWidth = 400;

} // namespace

PlaylistPanel::PlaylistPanel(Dialogs &dialogs, QWidget *parent)
    : QGroupBox(QStringLiteral("Play List:"), parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Frame2"));
    m_lv2 = new QTreeWidget(this);
    m_lv2->setObjectName(QStringLiteral("LV2"));
    m_lv2->setAccessibleName(QStringLiteral("Play list"));
    m_lv2->setRootIsDecorated(false);
    m_lv2->setItemsExpandable(false);
    m_lv2->setUniformRowHeights(true);
    m_lv2->setAllColumnsShowFocus(true);
    m_lv2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lv2->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Location")});
    m_lv2->header()->setStretchLastSection(true);

    // An alarm with no file of its own rings its built-in sound.
    m_emptyNote = new QLabel(
        QStringLiteral("While the play list is empty, the alarm rings the sound chosen above."),
        this);
    m_emptyNote->setObjectName(QStringLiteral("emptyNote"));
    m_emptyNote->setWordWrap(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_lv2, 0, 0, 1, 5);
    layout->addWidget(m_emptyNote, 1, 0, 1, 5);
    const struct {
        const char *name;
        const char *caption;
        const char *accessibleName;
        void (PlaylistPanel::*action)();
    } buttons[] = {
        {"Command3", "Add", "Add a file", &PlaylistPanel::Command3_Click},
        {"Command4", "Delete", "Delete the chosen file", &PlaylistPanel::Command4_Click},
        {"Command5", "Up", "Move the chosen file up", &PlaylistPanel::Command5_Click},
        {"Command6", "Down", "Move the chosen file down", &PlaylistPanel::Command6_Click},
        {"Command7", "Play", "Play the chosen file", &PlaylistPanel::Command7_Click},
    };
    int column = 0;
    for (const auto &entry : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(entry.caption), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setAccessibleName(QString::fromLatin1(entry.accessibleName));
        button->setAutoDefault(false);
        layout->addWidget(button, 2, column++);
        connect(button, &QPushButton::clicked, this, entry.action);
    }
    m_lv2->setMinimumWidth(kListWidth);
    m_lv2->setColumnWidth(0, kListWidth / 2);
}

PlaylistPanel::~PlaylistPanel() = default;

void PlaylistPanel::setPlaylist(const QString &playlist)
{
    m_lv2->clear();
    for (const QString &path : splitPlaylist(playlist))
        appendRow(path);
    showEmptyNote();
}

QStringList PlaylistPanel::paths() const
{
    QStringList result;
    for (int row = 0; row < m_lv2->topLevelItemCount(); ++row)
        result.append(m_lv2->topLevelItem(row)->text(kLocationColumn));
    return result;
}

void PlaylistPanel::appendRow(const QString &path)
{
    m_lv2->addTopLevelItem(new QTreeWidgetItem(QStringList{getfname(path), path}));
}

void PlaylistPanel::Command3_Click()
{
    const QString chosen = m_dialogs.openFileName(this, kMediaFileFilter);
    if (chosen.isEmpty())
        return;
    if (const Result check = playlistPathCheck(chosen); !check.ok()) {
        m_dialogs.messg(check.error());
        return;
    }
    appendRow(chosen);
    showEmptyNote();
}

void PlaylistPanel::Command4_Click()
{
    if (const int row = selectedRow(); row >= 0)
        delete m_lv2->takeTopLevelItem(row);
    showEmptyNote();
}

void PlaylistPanel::showEmptyNote()
{
    m_emptyNote->setVisible(m_lv2->topLevelItemCount() == 0);
}

void PlaylistPanel::Command5_Click()
{
    moveSelected(-1);
}

void PlaylistPanel::Command6_Click()
{
    moveSelected(1);
}

void PlaylistPanel::moveSelected(int step)
{
    const int row = selectedRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= m_lv2->topLevelItemCount())
        return;
    QTreeWidgetItem *here = m_lv2->topLevelItem(row);
    QTreeWidgetItem *there = m_lv2->topLevelItem(other);
    const QString herePath = here->text(kLocationColumn);
    const QString therePath = there->text(kLocationColumn);
    here->setText(0, getfname(therePath));
    here->setText(kLocationColumn, therePath);
    there->setText(0, getfname(herePath));
    there->setText(kLocationColumn, herePath);
}

void PlaylistPanel::Command7_Click()
{
    if (const int row = selectedRow(); row >= 0)
        Q_EMIT playRequested(m_lv2->topLevelItem(row)->text(kLocationColumn));
}

int PlaylistPanel::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_lv2->selectedItems();
    return selected.isEmpty() ? -1 : m_lv2->indexOfTopLevelItem(selected.first());
}
