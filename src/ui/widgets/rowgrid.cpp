#include "ui/widgets/rowgrid.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "print/units.h"

namespace {

constexpr int RowHeight = 315;    // twips
constexpr int HeaderHeight = 285; // twips
const QColor Tinted(249, 248, 245);
const QColor Selected(0, 255, 255);

} // namespace

RowGrid::RowGrid(const QList<Column> &columns, int visibleRows, int tintedParity, QWidget *parent)
    : QWidget(parent)
    , m_columns(columns)
    , m_tintedParity(tintedParity)
    , m_viewport(new QWidget(this))
    , m_content(new QWidget(m_viewport))
    , m_vertical(new QScrollBar(Qt::Vertical, this))
    , m_horizontal(new QScrollBar(Qt::Horizontal, this))
{
    m_vertical->setObjectName(QStringLiteral("VScroll"));
    m_horizontal->setObjectName(QStringLiteral("HScroll"));
    m_viewport->setAutoFillBackground(true);
    m_viewport->setPalette(QPalette(Qt::white));
    int contentWidth = 0;
    for (const Column &column : m_columns)
        contentWidth = qMax(contentWidth, column.left + column.width);
    m_content->resize(twips(contentWidth + 60), twips(HeaderHeight + RowHeight * visibleRows));
    for (const Column &column : m_columns) {
        // The header buttons do nothing when clicked.
        auto *header = new QPushButton(column.caption, m_content);
        header->setFocusPolicy(Qt::NoFocus);
        header->setGeometry(twipsRect(column.left, 0, column.width, HeaderHeight));
    }
    for (int row = 0; row < visibleRows; ++row) {
        auto *background = new QWidget(m_content);
        background->setAutoFillBackground(true);
        background->setGeometry(0, twips(HeaderHeight + RowHeight * row), m_content->width(), twips(RowHeight));
        background->installEventFilter(this);
        auto *line = new QWidget(background);
        line->setAutoFillBackground(true);
        line->setPalette(QPalette(QColor(0xE0, 0xE0, 0xE0)));
        line->setGeometry(0, twips(RowHeight) - 1, m_content->width(), 1);
        m_backgrounds.append(background);
        QList<QLabel *> cells;
        for (const Column &column : m_columns) {
            auto *label = new QLabel(background);
            label->setGeometry(twips(column.left), 0, twips(column.width), twips(RowHeight) - 1);
            label->setAlignment(column.alignment | Qt::AlignVCenter);
            label->installEventFilter(this);
            cells.append(label);
        }
        m_cells.append(cells);
    }
    m_vertical->setEnabled(false);
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int value) {
        showResults();
        recolour();
        emit scrolled(value);
    });
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this] { layoutCells(); });
    recolour();
}

void RowGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int bar = m_vertical->sizeHint().width();
    const bool wide = m_content->width() > width() - bar;
    const int barHeight = wide ? m_horizontal->sizeHint().height() : 0;
    m_viewport->setGeometry(0, 0, width() - bar, height() - barHeight);
    m_vertical->setGeometry(width() - bar, 0, bar, height() - barHeight);
    m_horizontal->setVisible(wide);
    m_horizontal->setGeometry(0, height() - barHeight, width() - bar, barHeight);
    m_horizontal->setRange(0, wide ? 100 : 0);
    layoutCells();
    offerWholeTexts();
}

void RowGrid::layoutCells()
{
    const int hidden = qMax(0, m_content->width() - m_viewport->width());
    const int value = m_horizontal->maximum() > 0 ? m_horizontal->value() : 0;
    m_content->move(m_horizontal->maximum() > 0 ? -hidden * value / m_horizontal->maximum() : 0, 0);
}

void RowGrid::setResults(const QList<QStringList> &results)
{
    m_results = results;
    const int extra = int(m_results.size()) - visibleRows();
    const QSignalBlocker blocker(m_vertical);
    m_vertical->setRange(0, qMax(0, extra));
    m_vertical->setValue(0);
    m_vertical->setEnabled(extra > 0);
    m_vertical->setPageStep(visibleRows());
    m_selected = -1;
    showResults();
    recolour();
}

int RowGrid::scrollValue() const
{
    return m_vertical->value();
}

void RowGrid::setScrollValue(int value)
{
    m_vertical->setValue(value);
}

int RowGrid::resultAt(int row) const
{
    const int index = m_vertical->value() + row;
    return row >= 0 && row < visibleRows() && index < m_results.size() ? index : -1;
}

void RowGrid::showResults()
{
    for (int row = 0; row < visibleRows(); ++row) {
        const int index = resultAt(row);
        for (int column = 0; column < m_columns.size(); ++column)
            m_cells[row][column]->setText(index >= 0 ? m_results.at(index).value(column) : QString());
    }
    offerWholeTexts();
}

void RowGrid::offerWholeTexts()
{
    // A value wider than its column (a long name, a pinyin code) is shown whole on hovering.
    for (const QList<QLabel *> &row : std::as_const(m_cells)) {
        for (QLabel *cell : row) {
            const bool cut = cell->fontMetrics().horizontalAdvance(cell->text()) > cell->contentsRect().width();
            cell->setToolTip(cut ? cell->text() : QString());
        }
    }
}

QString RowGrid::cellText(int row, int column) const
{
    return m_cells.value(row).value(column) ? m_cells[row][column]->text() : QString();
}

QLabel *RowGrid::cell(int row, int column) const
{
    return m_cells.value(row).value(column);
}

void RowGrid::recolour()
{
    m_selected = -1;
    for (int row = 0; row < visibleRows(); ++row)
        m_backgrounds[row]->setPalette(QPalette(row % 2 == m_tintedParity ? Tinted : QColor(Qt::white)));
}

void RowGrid::setSelectedRow(int row)
{
    recolour();
    if (row < 0 || row >= visibleRows())
        return;
    m_selected = row;
    m_backgrounds[row]->setPalette(QPalette(Selected));
}

bool RowGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int row = 0; row < visibleRows(); ++row) {
            if (watched == m_backgrounds[row] || m_cells[row].contains(watched)) {
                emit rowClicked(row);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
