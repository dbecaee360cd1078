#pragma once

#include <QWidget>

class AlarmStore;
class QTreeWidget;

// The alarm list window: one row per alarm, row k showing slot k of the
// alarm table, with the buttons to add, edit and delete alarms. Closing it
// only hides it.
class frmalarms final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmalarms)

public:
    // Made on first use, with its columns and the rows of the alarm table.
    explicit frmalarms(AlarmStore &store, QWidget *parent = nullptr);
    ~frmalarms() override;

    // Refills the list from the alarm table.
    void listalarms();

private:
    // The four column headers, sized for the list's present width.
    void createColumns();
    void Command3_Click();

    AlarmStore &m_store;
    QTreeWidget *m_lv = nullptr;
};
