#include "prescription/widgets/drugpickerpanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

#include "prescription/drugcategories.h"
#include "print/units.h"
#include "ui/widgets/formscale.h"

namespace {

// Left, top, width of the category buttons in button order (height 300), in window twips.
const int ButtonPlaces[DrugCategories::Count][3] = {
    {60, 840, 795},   {900, 840, 615},   {1560, 840, 795},  {2400, 840, 615},  {3060, 840, 615},  {60, 1200, 675},
    {780, 1200, 795}, {1620, 1200, 915}, {2580, 1200, 1095}, {60, 1560, 675},  {780, 1560, 795},  {1620, 1560, 795},
    {2460, 1560, 1215}, {60, 1920, 675}, {780, 1920, 735},  {1560, 1920, 1035}, {2640, 1920, 1035},
};

struct KeypadKey
{
    const char *caption;
    int left;
    int top;
    int width;
};
// The first keys do not overlap their neighbours, which would cover the end of "ABCD".
const KeypadKey Keypad[] = {{"ABCD", 60, 2700, 480},  {"EFGH", 540, 2700, 480},  {"IJKL", 1020, 2700, 480},
                            {"MNOP", 1500, 2700, 585}, {"QRST", 2100, 2700, 585}, {"UVWX", 2700, 2700, 585},
                            {"YZ", 3300, 2700, 375},   {"\u2190", 3240, 2340, 435}};

} // namespace

DrugPickerPanel::DrugPickerPanel(DrugPickList &list, QWidget *parent)
    : QWidget(parent)
    , m_list(list)
    , m_search(new QLineEdit(this))
    , m_results(new QListView(this))
    , m_model(new QStringListModel(this))
{
    resize(twipsSize(3675, 6420));
    for (int i = 0; i < DrugCategories::Count; ++i) {
        auto *button = new QPushButton(DrugCategories::caption(i), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setGeometry(twipsRect(ButtonPlaces[i][0], ButtonPlaces[i][1], ButtonPlaces[i][2], 300));
        connect(button, &QPushButton::clicked, this, [this, i] { emit categoryPressed(i); });
        m_buttons.append(button);
    }
    auto *caption = new QLabel(QStringLiteral("中文或拼音查询"), this);
    caption->adjustSize();
    caption->move(twips(60), twips(2400));
    m_search->setObjectName(QStringLiteral("Text1"));
    m_search->setGeometry(twipsRect(1380, 2310, 1815, 315));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &DrugPickerPanel::refill);
    for (int k = 0; k < 8; ++k) {
        auto *key = new QPushButton(QString::fromUtf8(Keypad[k].caption), this);
        key->setObjectName(QStringLiteral("Command8_%1").arg(k));
        key->setGeometry(twipsRect(Keypad[k].left, Keypad[k].top, Keypad[k].width, 315));
        key->setFocusPolicy(Qt::NoFocus);
        // Four letters on a key of 525 twips: a smaller letter rather than "BC" alone.
        FormScale::fitCaption(key);
        connect(key, &QPushButton::clicked, this, [this, k] {
            QString text = m_search->text();
            if (k < 7)
                text += QString::number(k + 1);
            else if (!text.isEmpty())
                text.chop(1);
            m_search->setText(text);
            m_search->end(false);
            m_search->setFocus();
        });
    }
    m_results->setObjectName(QStringLiteral("List1"));
    m_results->setGeometry(twipsRect(60, 3060, 3615, 3300));
    m_results->setUniformItemSizes(true);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setModel(m_model);
    m_results->installEventFilter(this);
    connect(m_results, &QListView::doubleClicked, this, &DrugPickerPanel::pickCurrent);
}

void DrugPickerPanel::showCategory(int category)
{
    m_category = category;
    for (int i = 0; i < m_buttons.size(); ++i) {
        QFont font = m_buttons.at(i)->font();
        font.setBold(i == category);
        m_buttons.at(i)->setFont(font);
    }
    const QSignalBlocker blocker(m_search);
    m_search->clear();
    refill();
}

void DrugPickerPanel::refill()
{
    m_items = m_list.fill(m_category, m_search->text());
    QStringList texts;
    texts.reserve(m_items.size());
    for (const DrugPickList::Item &item : std::as_const(m_items))
        texts.append(item.visible);
    m_model->setStringList(texts);
}

QStringList DrugPickerPanel::resultTexts() const
{
    return m_model->stringList();
}

void DrugPickerPanel::resetSearch()
{
    m_search->clear();
    m_search->setFocus();
    m_results->clearSelection();
    m_results->setCurrentIndex(QModelIndex());
}

void DrugPickerPanel::pickCurrent()
{
    const int row = m_results->currentIndex().row();
    if (row < 0 || row >= m_items.size())
        return;
    emit picked(m_items.at(row));
}

bool DrugPickerPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::FocusIn)
        emit searchFocused();
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (watched == m_search) {
        if (key == Qt::Key_Down) {
            m_results->setFocus();
            if (m_model->rowCount() > 0)
                m_results->setCurrentIndex(m_model->index(0));
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter picks only when the search leaves exactly one item.
            if (m_model->rowCount() == 1) {
                m_results->setCurrentIndex(m_model->index(0));
                pickCurrent();
            }
            return true;
        }
    } else if (watched == m_results && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        pickCurrent();
        return true;
    }
    return false;
}
