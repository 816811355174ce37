#include "prescription/widgets/historypanel.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "prescription/prescriptionhistory.h"
#include "print/units.h"

namespace {

constexpr int PanelTop = 6420; // window twips; the panel's children are placed relative to it

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QRect &twipsPlace)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(twipsRect(twipsPlace.x(), twipsPlace.y() - PanelTop, twipsPlace.width(), twipsPlace.height()));
    return b;
}

QString dateText(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

} // namespace

HistoryPanel::HistoryPanel(PrescriptionHistory &history, std::function<QDate()> today, QWidget *popupParent, QWidget *parent)
    : QWidget(parent)
    , m_history(history)
    , m_today(std::move(today))
    , m_name(new QLineEdit(this))
    , m_from(new QLineEdit(this))
    , m_to(new QLineEdit(this))
    , m_list(new QListWidget(this))
    , m_menu(new QFrame(popupParent))
{
    resize(twipsSize(3675, 9495 - PanelTop));
    m_name->setObjectName(QStringLiteral("Text2"));
    m_name->setPlaceholderText(QStringLiteral("姓名"));
    m_name->setGeometry(twipsRect(60, 0, 840, 300));
    m_name->installEventFilter(this);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &text) {
        // A name widens the range to the last ten years; the query runs when asked.
        if (!text.trimmed().isEmpty()) {
            m_from->setText(dateText(m_today().addYears(-10)));
            m_to->setText(dateText(m_today()));
        }
    });
    connect(button(this, QStringLiteral("Command7"), QStringLiteral("查   询"), QRect(945, PanelTop, 870, 300)), &QPushButton::clicked,
            this, &HistoryPanel::query);
    connect(button(this, QStringLiteral("Command11"), QStringLiteral("历史处方"), QRect(1860, PanelTop, 900, 300)),
            &QPushButton::clicked, this, &HistoryPanel::patientHistoryRequested);
    QPushButton *todayButton = button(this, QStringLiteral("Command2"), QStringLiteral("今日患者"), QRect(2805, PanelTop, 870, 300));
    connect(todayButton, &QPushButton::clicked, this, &HistoryPanel::todayPatients);
    m_from->setObjectName(QStringLiteral("Text3"));
    m_from->setGeometry(twipsRect(60, 360, 1230, 300));
    auto *to = new QLabel(QStringLiteral("至"), this);
    to->setGeometry(twipsRect(1320, 405, 240, 255));
    m_to->setObjectName(QStringLiteral("Text4"));
    m_to->setGeometry(twipsRect(1560, 360, 1230, 300));
    connect(button(this, QStringLiteral("Command5"), QStringLiteral("<<"), QRect(2835, PanelTop + 360, 390, 300)), &QPushButton::clicked,
            this, [this] { moveDay(-1); });
    connect(button(this, QStringLiteral("Command6"), QStringLiteral(">>"), QRect(3270, PanelTop + 360, 405, 300)), &QPushButton::clicked,
            this, [this] { moveDay(1); });
    m_list->setObjectName(QStringLiteral("List2"));
    m_list->setGeometry(twipsRect(60, 720, 3615, 9495 - PanelTop - 780));
    m_list->viewport()->installEventFilter(this);
    // Every row is one line: laying out thousands of rows then costs no measuring of each.
    m_list->setUniformItemSizes(true);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const int row = m_list->row(item);
        if (row >= 0 && row < m_entries.size())
            emit reopenRequested(m_entries.at(row).rowId);
    });

    m_menu->setObjectName(QStringLiteral("Picture6"));
    m_menu->setFrameShape(QFrame::Box);
    m_menu->setAutoFillBackground(true);
    m_menu->setPalette(QPalette(Qt::white));
    auto *menuLayout = new QVBoxLayout(m_menu);
    menuLayout->setContentsMargins(1, 1, 1, 1);
    menuLayout->setSpacing(0);
    // "最近删除" lists what was deleted lately and puts it back.
    const QString captions[] = {QStringLiteral("删除(D)"), QStringLiteral("最近删除"), QStringLiteral("取消(E)")};
    const QString names[] = {QStringLiteral("Label9_0"), QStringLiteral("最近删除"), QStringLiteral("Label9_1")};
    for (int i = 0; i < 3; ++i) {
        auto *item = new QLabel(captions[i], m_menu);
        item->setObjectName(names[i]);
        item->setStyleSheet(QStringLiteral("QLabel { padding: 2px 12px; color: black; background: white; }"
                                           "QLabel:hover { color: white; background: palette(highlight); }"));
        item->installEventFilter(this);
        menuLayout->addWidget(item);
    }
    m_menu->adjustSize();
    m_menu->hide();

    m_from->setText(dateText(m_today().addMonths(-1)));
    m_to->setText(dateText(m_today()));
}

void HistoryPanel::query()
{
    m_list->clear();
    m_entries = m_history.query(m_name->text(), m_from->text(), m_to->text());
    QStringList texts;
    for (const ArchiveRepository::HistoryEntry &entry : std::as_const(m_entries))
        texts.append(PrescriptionHistory::rowText(entry));
    m_list->addItems(texts);
}

void HistoryPanel::todayPatients()
{
    m_name->clear();
    m_from->setText(dateText(m_today()));
    m_to->setText(dateText(m_today()));
    query();
}

void HistoryPanel::patientHistory(const QString &name)
{
    if (name.trimmed().isEmpty())
        return;
    m_name->setText(name);
    query();
}

void HistoryPanel::moveDay(int days)
{
    const QDate to = PrescriptionHistory::parseDate(m_to->text());
    if (to.isValid()) {
        m_from->setText(dateText(to.addDays(days)));
        m_to->setText(m_from->text());
    }
    m_name->clear();
    query();
}

void HistoryPanel::removeEntry(const QString &prescriptionId)
{
    // The menu deletes the prescription on screen, which need not be the row right-clicked.
    for (qsizetype row = m_entries.size() - 1; row >= 0; --row) {
        if (m_entries.at(row).id != prescriptionId)
            continue;
        m_entries.removeAt(row);
        delete m_list->takeItem(int(row));
    }
}

void HistoryPanel::hideMenu()
{
    m_menu->hide();
}

void HistoryPanel::showMenu(const QPoint &at)
{
    QWidget *host = m_menu->parentWidget();
    QPoint place = m_list->viewport()->mapTo(host, at) + QPoint(twips(60), twips(60));
    place.setY(qMin(place.y(), twips(8580)));
    m_menu->move(place);
    m_menu->raise();
    m_menu->show();
}

bool HistoryPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_name && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            findChild<QPushButton *>(QStringLiteral("Command2"))->setFocus();
            return true;
        }
    } else if (watched == m_list->viewport()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            hideMenu();
        } else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton) {
            // On an empty list (its last row just deleted, say) the menu still offers the undo.
            m_menu->findChild<QLabel *>(QStringLiteral("Label9_0"))->setVisible(m_list->count() > 0);
            m_menu->adjustSize();
            showMenu(mouse->position().toPoint());
            return true;
        } else if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
            // The right click does not select the row.
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const QString name = watched->objectName();
        hideMenu();
        if (name == QStringLiteral("Label9_0"))
            emit deleteRequested();
        else if (name == QStringLiteral("最近删除"))
            emit recentDeletionsRequested();
        return true;
    }
    return false;
}
