#include "prescription/widgets/pricedsheetview.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "prescription/prescriptionsheet.h"
#include "print/units.h"

namespace {

constexpr int RegionWidth = 4875;
constexpr int RegionHeight = 4065;
constexpr int HeaderHeight = 275;
constexpr int StripHeight = 315;
constexpr int RowPitch = 315;
constexpr int BarWidth = 255;

struct Column
{
    const char16_t *caption;
    int left;
    int width;
    bool editable;
    Qt::Alignment alignment;
};

// Name, quantity, unit, unit price, amount, drawer; the category cell lies outside the visible width.
// The amount ends where the drawer begins (a header lying over its neighbour would hide its edge).
const Column Columns[] = {
    {u"药物名称", 0, 1620, false, Qt::AlignLeft},   {u"数量", 1620, 480, true, Qt::AlignHCenter},
    {u"单位", 2100, 540, false, Qt::AlignLeft},     {u"单价", 2640, 720, true, Qt::AlignRight},
    {u"金额", 3360, 720, false, Qt::AlignRight},    {u"斗位", 4080, 480, false, Qt::AlignLeft},
    {nullptr, 4860, 600, false, Qt::AlignLeft},
};
const QColor Tinted(249, 248, 245);

} // namespace

PricedSheetView::PricedSheetView(PrescriptionSheet &sheet, QWidget *parent)
    : QWidget(parent)
    , m_sheet(sheet)
    , m_region(new QWidget(this))
    , m_rows(new QWidget(m_region))
    , m_scroll(new QScrollBar(Qt::Vertical, this))
    , m_total(new QLabel(this))
    , m_doses(new QLabel(this))
    , m_dosesCaption(nullptr)
{
    resize(twipsSize(RegionWidth, RegionHeight));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));
    int index = 0;
    for (const Column &column : Columns) {
        if (!column.caption)
            break;
        auto *header = new QPushButton(QString::fromUtf16(column.caption), this);
        header->setObjectName(QStringLiteral("Command3_%1").arg(index++));
        header->setFocusPolicy(Qt::NoFocus);
        header->setGeometry(twipsRect(column.left, 0, column.width, HeaderHeight));
    }
    m_region->setGeometry(twipsRect(0, HeaderHeight, RegionWidth - BarWidth, RegionHeight - HeaderHeight - StripHeight));
    m_rows->setGeometry(0, 0, m_region->width(), twips(RowPitch * PrescriptionSheet::LineCount + 60));
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row) {
        auto *background = new QLabel(m_rows);
        background->setObjectName(QStringLiteral("Lb1_%1").arg(row));
        background->setGeometry(twipsRect(0, RowPitch * row - 15, 4575, RowPitch));
        background->setAutoFillBackground(true);
        background->setPalette(QPalette(row % 2 ? Tinted : QColor(Qt::white)));
        auto *line = new QWidget(m_rows);
        line->setObjectName(QStringLiteral("Ln1_%1").arg(row));
        line->setAutoFillBackground(true);
        line->setPalette(QPalette(QColor(0xE0, 0xE0, 0xE0)));
        line->setGeometry(0, twips(RowPitch * row + 300), twips(4560), 1);
        QList<QWidget *> cells;
        int cellIndex = 0;
        for (const Column &column : Columns) {
            const QString name = QStringLiteral("Lb%1_%2").arg(cellIndex + 2).arg(row);
            QWidget *cell = nullptr;
            if (column.editable) {
                auto *edit = new QLineEdit(m_rows);
                edit->setFrame(false);
                edit->setAlignment(column.alignment);
                edit->setAutoFillBackground(true);
                edit->setPalette(QPalette(row % 2 ? Tinted : QColor(Qt::white)));
                const int cellNumber = cellIndex == 1 ? DrugLine::Quantity : DrugLine::UnitPrice;
                connect(edit, &QLineEdit::textEdited, this, [this, row, cellNumber](const QString &text) {
                    if (!m_showing)
                        m_sheet.setCell(row, cellNumber, text);
                });
                cell = edit;
            } else {
                auto *label = new QLabel(m_rows);
                label->setAlignment(column.alignment | Qt::AlignVCenter);
                // The amount ends where the drawer begins; a little room keeps them apart.
                label->setIndent(2);
                cell = label;
            }
            cell->setObjectName(name);
            cell->setGeometry(twipsRect(column.left, RowPitch * row + 45 - 30, column.width, RowPitch - 45));
            cells.append(cell);
            ++cellIndex;
        }
        m_cells.append(cells);
    }
    m_scroll->setObjectName(QStringLiteral("VScroll1"));
    m_scroll->setGeometry(twipsRect(RegionWidth - BarWidth, HeaderHeight, BarWidth, RegionHeight - HeaderHeight - StripHeight));
    m_scroll->setRange(0, 100);
    connect(m_scroll, &QScrollBar::valueChanged, this, &PricedSheetView::placeRows);
    // The window drawn larger or smaller: the rows keep the scroll bar's place.
    m_region->installEventFilter(this);

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("Picture5"));
    strip->setGeometry(twipsRect(0, RegionHeight - StripHeight, RegionWidth, StripHeight));
    strip->setAutoFillBackground(true);
    strip->setPalette(QPalette(QColor(236, 233, 216)));
    auto *caption = new QLabel(QStringLiteral("合计金额(￥)："), strip);
    caption->setGeometry(twipsRect(2340, 60, 1260, 240));
    m_total->setParent(strip);
    m_total->setObjectName(QStringLiteral("Label16"));
    m_total->setGeometry(twipsRect(3600, 60, 1200, 240));
    m_doses->setParent(strip);
    m_doses->setObjectName(QStringLiteral("Label17"));
    m_doses->setGeometry(twipsRect(60, 60, 2200, 240));

    connect(&m_sheet, &PrescriptionSheet::linesChanged, this, &PricedSheetView::showLines);
    connect(&m_sheet, &PrescriptionSheet::grandTotalChanged, this, &PricedSheetView::showTotals);
    connect(&m_sheet, &PrescriptionSheet::dosesChanged, this, &PricedSheetView::showTotals);
    connect(&m_sheet, &PrescriptionSheet::kindChanged, this, &PricedSheetView::showTotals);
    showLines();
    showTotals();
}

void PricedSheetView::showLines()
{
    m_showing = true;
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row) {
        const DrugLine line = m_sheet.line(row);
        for (int cell = 0; cell < DrugLine::CellCount; ++cell) {
            const QString text = line.cell(cell);
            QWidget *widget = m_cells[row][cell];
            if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
                if (edit->text() != text)
                    edit->setText(text);
            } else {
                static_cast<QLabel *>(widget)->setText(text);
            }
        }
    }
    m_showing = false;
}

void PricedSheetView::showTotals()
{
    m_total->setText(m_sheet.grandTotal());
    const bool chinese = m_sheet.kind() == PrescriptionKind::Chinese;
    m_doses->setText(QStringLiteral("中药剂数：") + m_sheet.doses());
    m_doses->setVisible(chinese);
}

void PricedSheetView::scrollToTop()
{
    m_scroll->setValue(0);
    placeRows();
}

bool PricedSheetView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_region && event->type() == QEvent::Resize)
        placeRows();
    return QWidget::eventFilter(watched, event);
}

void PricedSheetView::placeRows()
{
    // At the top the first row sits under the headers; at the bottom the last row ends at the strip.
    const int hidden = qMax(0, m_rows->height() - m_region->height());
    m_rows->move(0, m_scroll->maximum() > 0 ? -hidden * m_scroll->value() / m_scroll->maximum() : 0);
}
