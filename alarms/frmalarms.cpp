#include "alarms/frmalarms.h"

#include "alarms/alarmfile.h"
#include "alarms/alarmlistrows.h"
#include "alarms/alarmstore.h"
#include "alarms/frmaaddalarm.h"
#include "base/dialogs.h"
#include "base/logging.h"
#include "base/topmost.h"
#include "base/twips.h"
#include "settings/conffile.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// The list is designed 6000 twips wide, enough for the four columns; the
// window opens at its smallest, so the list has that width at start-up.
constexpr int kListWidth = 400;
constexpr int kListHeight = 240;

QPushButton *addButton(QWidget *parent, QBoxLayout *layout, const char *name,
                       const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Return presses the button that has the focus, as Space does, here as in
    // a dialog.
    button->setAutoDefault(true);
    layout->addWidget(button);
    return button;
}

} // namespace

frmalarms::frmalarms(AlarmStore &store, Dialogs &dialogs, const Clock &clock,
                     const Settings &settings, QWidget *parent)
    : QWidget(parent), m_store(store), m_dialogs(dialogs), m_clock(clock), m_settings(settings)
{
    setObjectName(QStringLiteral("frmalarms"));
    setWindowTitle(QStringLiteral("Add"));

    m_lv = new QTreeWidget(this);
    m_lv->setObjectName(QStringLiteral("LV"));
    m_lv->setMinimumSize(kListWidth, kListHeight);
    m_lv->setRootIsDecorated(false);
    m_lv->setItemsExpandable(false);
    m_lv->setUniformRowHeights(true);
    m_lv->setAllColumnsShowFocus(true);
    m_lv->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lv->header()->setStretchLastSection(false);

    auto *buttons = new QVBoxLayout;
    QPushButton *add = addButton(this, buttons, "Cmdadd", QStringLiteral("Add"));
    QPushButton *edit = addButton(this, buttons, "Command2", QStringLiteral("Edit"));
    m_delete = addButton(this, buttons, "Command3", QStringLiteral("Delete"));
    buttons->addStretch();
    QPushButton *close = addButton(this, buttons, "Command1", QStringLiteral("Close"));

    m_unsavedNote = new QLabel(this);
    m_unsavedNote->setObjectName(QStringLiteral("unsavedNote"));
    m_unsavedNote->setWordWrap(true);
    m_unsavedNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_unsavedNote->hide();
    auto *list = new QVBoxLayout;
    list->addWidget(m_lv);
    list->addWidget(m_unsavedNote);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(list);
    layout->addLayout(buttons);
    resize(minimumSizeHint());

    connect(add, &QPushButton::clicked, this, &frmalarms::Cmdadd_Click);
    connect(edit, &QPushButton::clicked, this, &frmalarms::Command2_Click);
    connect(m_lv, &QTreeWidget::itemDoubleClicked, this, &frmalarms::Command2_Click);
    // The list's own keys do what its buttons do, on the selected alarm.
    for (const QKeySequence key : {Qt::Key_Return, Qt::Key_Enter})
        new QShortcut(key, m_lv, this, &frmalarms::Command2_Click, Qt::WidgetShortcut);
    new QShortcut(Qt::Key_Delete, m_lv, this, &frmalarms::Command3_Click, Qt::WidgetShortcut);
    connect(m_delete, &QPushButton::clicked, this, &frmalarms::Command3_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    createColumns();
    listalarms();
}

frmalarms::~frmalarms()
{
    // The program is ending: the editor goes with the list, unsaved.
    if (m_editor) {
        m_editor->disconnect(this);
        delete m_editor;
    }
}

void frmalarms::showEvent(QShowEvent *event)
{
    // Placed by the program rather than by the window manager, which may put
    // it partly off a small or scaled screen.
    if (!std::exchange(m_placed, true))
        centreOnScreen(*this);
    QWidget::showEvent(event);
}

void frmalarms::createColumns()
{
    // The window has not been shown yet; its layout gives the list its width.
    layout()->activate();
    m_lv->setHeaderLabels({QStringLiteral("Alarm"), QStringLiteral("Frequency"),
                           QStringLiteral("Time"), QStringLiteral("Date")});
    const std::array<double, 4> widths = alarmColumnWidths(m_lv->width() * kTwipsPerPixel);
    for (int column = 0; column < 4; ++column)
        m_lv->setColumnWidth(column, qRound(twipsToPixels(widths[column])));
}

void frmalarms::listalarms()
{
    // Rows stay in slot order and only a Delete takes one out (the selected
    // one), so the row number keeps the selection on its alarm, or on the
    // next one after a Delete.
    const int selected = selectedRow();
    m_lv->clear();
    const QLocale locale;
    QList<QTreeWidgetItem *> rows;
    const UnsavedAlarms &unsaved = m_store.unsaved();
    for (int slot = 1; slot <= m_store.alarmCount(); ++slot) {
        const AlarmRecord &record = m_store.alarms()[slot];
        QStringList texts = listRowTexts(record, locale);
        // The column shows the message cut short; the whole of it is a hover
        // or a screen reader away.
        QString whole = record.message;
        if (unsaved.slots[slot] != AlarmSaved::Saved) {
            texts[0] += kNotSavedMark;
            whole += kNotSavedMark;
        }
        auto *row = new QTreeWidgetItem(texts);
        row->setToolTip(0, whole);
        row->setData(0, Qt::AccessibleTextRole, whole);
        rows.append(row);
    }
    m_lv->addTopLevelItems(rows);
    const QString note = unsavedChangesNote(m_store.alarms(), m_store.alarmCount(), unsaved);
    m_unsavedNote->setText(note);
    m_unsavedNote->setVisible(!note.isEmpty());
    if (selected >= 0 && !rows.isEmpty())
        m_lv->setCurrentItem(rows.at(std::min<qsizetype>(selected, rows.size() - 1)));
    qCInfo(lcAlarms) << "alarm list rows:" << rows.size();
}

frmaaddalarm *frmalarms::createEditor()
{
    auto *editor = new frmaaddalarm(m_dialogs, m_clock, m_settings.twentyFourHour);
    connect(editor, &QDialog::finished, this, [this] { setEditorOpen(false); });
    connect(editor, &frmaaddalarm::soundPlayRequested, this, &frmalarms::soundPlayRequested);
    connect(editor, &frmaaddalarm::filePlayRequested, this, &frmalarms::filePlayRequested);
    connect(editor, &frmaaddalarm::tryRequested, this, &frmalarms::alarmTryRequested);
    m_editor = editor;
    return editor;
}

void frmalarms::setEditorOpen(bool open)
{
    m_store.setEditorOpen(open);
    // A Delete would move the alarms under the editor's target slot.
    m_delete->setEnabled(!open);
}

void frmalarms::raiseEditor()
{
    if (!m_editor)
        return;
    m_editor->setWindowState(m_editor->windowState() & ~Qt::WindowMinimized);
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void frmalarms::Cmdadd_Click()
{
    if (m_store.isEditorOpen()) {
        raiseEditor();
        return;
    }
    if (m_store.alarmCount() >= kMaxAlarms) {
        m_dialogs.messg(QStringLiteral("The alarm list is full: it holds %1 alarms, the most "
                                       "it can. Delete an alarm to make room for a new one.")
                            .arg(kMaxAlarms));
        return;
    }
    frmaaddalarm *editor = createEditor();
    connect(editor, &frmaaddalarm::alarmAccepted, this, [this](const AlarmEditorValues &values) {
        storeEdited(m_store.alarmCount() + 1, values);
    });
    editor->openNew(
        alarmFileRoom(m_store.alarms(), m_store.alarmCount(), m_store.alarmCount() + 1, QLocale()));
    setEditorOpen(true);
}

void frmalarms::Command2_Click()
{
    if (m_store.isEditorOpen()) {
        raiseEditor();
        return;
    }
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    frmaaddalarm *editor = createEditor();
    connect(editor, &frmaaddalarm::alarmAccepted, this,
            [this, slot](const AlarmEditorValues &values) { storeEdited(slot, values); });
    editor->openExisting(m_store.alarms()[slot],
                         alarmFileRoom(m_store.alarms(), m_store.alarmCount(), slot, QLocale()));
    setEditorOpen(true);
}

int frmalarms::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_lv->selectedItems();
    return selected.isEmpty() ? -1 : m_lv->indexOfTopLevelItem(selected.first());
}

int frmalarms::selectedSlot() const
{
    const int slot = selectedRow() + 1;
    return slot <= m_store.alarmCount() ? slot : 0;
}

void frmalarms::storeEdited(int slot, const AlarmEditorValues &values)
{
    if (slot < 1 || slot > kMaxAlarms)
        return;
    // Built over the slot as it is now, which keeps what the editor does not show.
    const AlarmRecord &now = m_store.alarms()[slot];
    m_store.storeAlarm(slot,
                       buildAlarmRecord(values, slot <= m_store.alarmCount() ? now : AlarmRecord{},
                                        m_settings.twentyFourHour));
    listalarms();
    m_store.savealarms();
    // The marks of what the save could not write, or their end.
    listalarms();
}

void frmalarms::Command3_Click()
{
    const int slot = selectedSlot();
    if (m_store.isEditorOpen() || slot == 0)
        return;
    m_store.deleteAlarm(slot);
    listalarms();
}
