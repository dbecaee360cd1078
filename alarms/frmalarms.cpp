#include "alarms/frmalarms.h"

#include "alarms/alarmlistrows.h"
#include "alarms/alarmstore.h"
#include "base/logging.h"
#include "base/twips.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

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
    layout->addWidget(button);
    return button;
}

} // namespace

frmalarms::frmalarms(AlarmStore &store, QWidget *parent) : QWidget(parent), m_store(store)
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
    addButton(this, buttons, "Cmdadd", QStringLiteral("Add"));
    addButton(this, buttons, "Command2", QStringLiteral("Edit"));
    QPushButton *remove = addButton(this, buttons, "Command3", QStringLiteral("Delete"));
    buttons->addStretch();
    QPushButton *close = addButton(this, buttons, "Command1", QStringLiteral("Close"));

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_lv);
    layout->addLayout(buttons);
    resize(minimumSizeHint());

    connect(remove, &QPushButton::clicked, this, &frmalarms::Command3_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    createColumns();
    listalarms();
}

frmalarms::~frmalarms() = default;

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
    m_lv->clear();
    const QLocale locale;
    QList<QTreeWidgetItem *> rows;
    for (const AlarmRecord &record : m_store.alarms()) {
        if (record.inUse)
            rows.append(new QTreeWidgetItem(listRowTexts(record, locale)));
    }
    m_lv->addTopLevelItems(rows);
    qCInfo(lcAlarms) << "alarm list rows:" << rows.size();
}

void frmalarms::Command3_Click()
{
    const QList<QTreeWidgetItem *> selected = m_lv->selectedItems();
    if (selected.isEmpty())
        return;
    const int slot = m_lv->indexOfTopLevelItem(selected.first()) + 1;
    if (slot < 1 || slot > m_store.alarmCount())
        return;
    m_store.deleteAlarm(slot);
    listalarms();
}
