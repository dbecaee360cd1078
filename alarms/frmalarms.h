#pragma once

#include <QPointer>
#include <QWidget>

class AlarmStore;
class Clock;
class Dialogs;
class QLabel;
class QPushButton;
class QTreeWidget;
class frmaaddalarm;
struct AlarmEditorValues;
struct AlarmRecord;
struct Settings;

// The alarm list window: one row per alarm, row k showing slot k of the
// alarm table, with the buttons to add, edit and delete alarms. Closing it
// only hides it.
class frmalarms final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmalarms)

public:
    // Made on first use, with its columns and the rows of the alarm table.
    // The settings are the ones in effect: the editor follows their time format.
    frmalarms(AlarmStore &store, Dialogs &dialogs, const Clock &clock, const Settings &settings,
              QWidget *parent = nullptr);
    ~frmalarms() override;

    // Refills the list from the alarm table.
    void listalarms();

Q_SIGNALS:
    // The editor's previews: a built-in sound by its index, or a file.
    void soundPlayRequested(int soundIndex);
    void filePlayRequested(const QString &path);
    // The editor's Try: ring this alarm now, outside the table.
    void alarmTryRequested(const AlarmRecord &alarm);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Add, Edit or a double-click while the editor is open: it comes to the front.
    void raiseEditor();
    void Cmdadd_Click();
    void Command2_Click();
    // Makes the editor for one opening; it says when it closes.
    frmaaddalarm *createEditor();
    // The selected row, counted from 0; -1 when none is.
    int selectedRow() const;
    // The slot of the selected row; 0 when no alarm is selected.
    int selectedSlot() const;
    void storeEdited(int slot, const AlarmEditorValues &values);
    void setEditorOpen(bool open);
    // The four column headers, sized for the list's present width.
    void createColumns();
    void Command3_Click();

    AlarmStore &m_store;
    Dialogs &m_dialogs;
    const Clock &m_clock;
    const Settings &m_settings;
    QTreeWidget *m_lv = nullptr;
    // What the alarm file lacks of the list, while a save has failed.
    QLabel *m_unsavedNote = nullptr;
    QPushButton *m_delete = nullptr;
    QPointer<frmaaddalarm> m_editor;
    bool m_placed = false;
};
