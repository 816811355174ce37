#include "maintenance/widgets/wordlistwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "data/tables.h"
#include "print/units.h"
#include "text/pinyininitials.h"

namespace {

// What tells the twins apart; everything else is one code path.
struct Twin
{
    QString objectName;
    QString title;
    QString nameCaption;
    QSize clientSize; // twips
    const TableDefinition &table;
};

Twin twinOf(WordListWindow::List list)
{
    if (list == WordListWindow::List::Addresses)
        return {QStringLiteral("Form6"), QStringLiteral("添加常用地址"), QStringLiteral("地址名称："), QSize(5880, 4395), Tables::addresses()};
    return {QStringLiteral("Form5"), QStringLiteral("诊断名称维护"), QStringLiteral("诊断名称："), QSize(5865, 4410), Tables::diagnoses()};
}

// A box is named by its caption without the colon.
QString nameOf(const QString &caption)
{
    return caption.endsWith(QStringLiteral("：")) ? caption.chopped(1) : caption;
}

QLineEdit *box(const QString &caption, QWidget *parent, const QRect &geometry)
{
    auto *label = new QLabel(caption, parent);
    label->move(twips(120), geometry.top() + twips(60));
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(nameOf(caption));
    edit->setGeometry(geometry);
    return edit;
}

QPushButton *button(const QString &caption, QWidget *parent, const QRect &geometry)
{
    auto *result = new QPushButton(caption, parent);
    result->setObjectName(QString(caption).remove(QLatin1Char(' ')));
    result->setGeometry(geometry);
    return result;
}

} // namespace

WordListWindow::WordListWindow(WordListRepository &entries, List list, QWidget *parent)
    : QWidget(parent)
    , m_entries(entries)
{
    const Twin twin = twinOf(list);
    setObjectName(twin.objectName);
    setWindowTitle(twin.title);
    setFixedSize(twipsSize(twin.clientSize.width(), twin.clientSize.height()));

    m_search = box(QStringLiteral("查询："), this, twipsRect(720, 120, 5055, 315));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("列表"));
    m_list->setGeometry(twipsRect(120, 540, 5655, 2760));
    m_name = box(twin.nameCaption, this, twipsRect(1080, 3480, 3195, 330));
    m_name->setMaxLength(twin.table.width(QStringLiteral("名称")));
    m_initials = box(QStringLiteral("拼音代码："), this, twipsRect(1080, 3960, 3195, 330));
    m_initials->setMaxLength(twin.table.width(QStringLiteral("拼音")));
    QPushButton *save = button(QStringLiteral("保  存"), this, twipsRect(4440, 3480, 1335, 350));
    QPushButton *remove = button(QStringLiteral("删  除"), this, twipsRect(4440, 3960, 1335, 350));

    connect(m_search, &QLineEdit::textChanged, this, &WordListWindow::refill);
    connect(m_name, &QLineEdit::textChanged, this, &WordListWindow::nameChanged);
    // Enter in the new entry's boxes stores it, as the save button does.
    connect(m_name, &QLineEdit::returnPressed, this, &WordListWindow::add);
    connect(m_initials, &QLineEdit::returnPressed, this, &WordListWindow::add);
    connect(save, &QPushButton::clicked, this, &WordListWindow::add);
    connect(remove, &QPushButton::clicked, this, &WordListWindow::removeSelected);

    refill();
}

void WordListWindow::refill()
{
    m_shown = m_entries.find(m_search->text());
    m_list->clear();
    for (const WordListRepository::Entry &entry : std::as_const(m_shown))
        m_list->addItem(entry.name);
}

void WordListWindow::nameChanged(const QString &name)
{
    m_initials->setText(pinyinInitials(name.trimmed()));
}

void WordListWindow::add()
{
    if (m_name->text().trimmed().isEmpty())
        return;
    const WriteResult result = m_entries.add(m_name->text(), m_initials->text());
    if (!result.ok) {
        // The new entry stays in its boxes, so the user can try again.
        QMessageBox::warning(this, QStringLiteral("提示"), result.fullText());
        return;
    }
    {
        const QSignalBlocker blocker(m_search);
        m_search->clear();
    }
    refill();
    m_name->clear();
    m_initials->clear();
    m_name->setFocus();
}

void WordListWindow::removeSelected()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_shown.size() || !m_list->currentItem()->isSelected())
        return;
    const WriteResult result = m_entries.remove(m_shown.at(row));
    if (!result.ok)
        QMessageBox::warning(this, QStringLiteral("提示"), result.fullText());
    refill();
}
