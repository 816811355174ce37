#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QScrollBar;

// A list shown as a grid of label cells with a fixed number of visible rows: a header row of
// buttons, alternating row backgrounds and light-grey row lines, and a vertical scroll bar whose
// value is the index of the first shown result. Scrolling changes what the rows show, not where
// they are. Used by the catalogue, the outpatient log and the drug-usage statistics.
class RowGrid : public QWidget
{
    Q_OBJECT

public:
    struct Column
    {
        QString caption;
        int left = 0;  // twips, inside the grid
        int width = 0; // twips
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    // `tintedParity`: rows whose index % 2 equals it get the tinted background RGB(249, 248, 245).
    RowGrid(const QList<Column> &columns, int visibleRows, int tintedParity, QWidget *parent = nullptr);

    // Replaces the results and scrolls to the top; the scroll bar is enabled with the maximum
    // (results − visible rows) only when there are more results than rows.
    void setResults(const QList<QStringList> &results);
    const QList<QStringList> &results() const { return m_results; }
    int visibleRows() const { return int(m_cells.size()); }

    int scrollValue() const;
    void setScrollValue(int value);
    QScrollBar *verticalBar() const { return m_vertical; }

    // The text a visible row shows in a column.
    QString cellText(int row, int column) const;
    QLabel *cell(int row, int column) const;
    // The index of the result a visible row shows, or -1 for a blank row.
    int resultAt(int row) const;

    // Highlights one visible row in cyan (-1: none); recolouring drops it.
    void setSelectedRow(int row);
    int selectedRow() const { return m_selected; }
    void recolour();

signals:
    // A click on any cell of a visible row.
    void rowClicked(int row);
    // The first shown result changed (also while the thumb is dragged).
    void scrolled(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showResults();
    void layoutCells();
    void offerWholeTexts();

    QList<Column> m_columns;
    int m_tintedParity;
    QWidget *m_viewport;
    QWidget *m_content;
    QList<QWidget *> m_backgrounds;
    QList<QList<QLabel *>> m_cells;
    QScrollBar *m_vertical;
    QScrollBar *m_horizontal;
    QList<QStringList> m_results;
    int m_selected = -1;
};
