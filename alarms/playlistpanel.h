#pragma once

#include <QGroupBox>
#include <QStringList>

class Dialogs;
class QLabel;
class QTreeWidget;

// The alarm editor's frame "Play List:": the alarm's own media files in play
// order, each shown by its file name and its full path, with the buttons that
// add, remove, move and preview them.
class PlaylistPanel final : public QGroupBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaylistPanel)

public:
    explicit PlaylistPanel(Dialogs &dialogs, QWidget *parent = nullptr);
    ~PlaylistPanel() override;

    // Replaces the rows with the items of a stored playlist text.
    void setPlaylist(const QString &playlist);
    // The full paths of the rows, in order.
    QStringList paths() const;

Q_SIGNALS:
    // Play (the frame's button) on the selected row.
    void playRequested(const QString &path);

private:
    void appendRow(const QString &path);
    void Command3_Click();
    void Command4_Click();
    // The note on what rings instead shows while the list is empty.
    void showEmptyNote();
    void Command5_Click();
    void Command6_Click();
    // Exchanges the selected row with the one `step` rows away, if there is one.
    void moveSelected(int step);
    void Command7_Click();
    int selectedRow() const;

    Dialogs &m_dialogs;
    QTreeWidget *m_lv2 = nullptr;
    QLabel *m_emptyNote = nullptr;
};
