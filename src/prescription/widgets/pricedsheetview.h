#pragma once

#include <QList>
#include <QWidget>

class PrescriptionSheet;
class QLabel;
class QLineEdit;
class QScrollBar;

// The priced sheet at the right of the prescription window: six column headers, 36 rows (name,
// quantity, unit, unit price, amount, drawer, and the category outside the visible width), the
// scroll bar and the total strip. It shows the sheet's lines; a typed quantity or unit price goes
// straight to the sheet, which recomputes the totals.
class PricedSheetView : public QWidget
{
    Q_OBJECT

public:
    explicit PricedSheetView(PrescriptionSheet &sheet, QWidget *parent = nullptr);

    QScrollBar *scrollBar() const { return m_scroll; }
    void scrollToTop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLines();
    void showTotals();
    void placeRows();

    PrescriptionSheet &m_sheet;
    QWidget *m_region;
    QWidget *m_rows;
    QScrollBar *m_scroll;
    QList<QList<QWidget *>> m_cells; // per row: Lb2 … Lb8
    QLabel *m_total;
    QLabel *m_doses;
    QLabel *m_dosesCaption;
    bool m_showing = false;
};
