#pragma once

#include <QDate>
#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>

#include "reports/usagestatistics.h"

class FileChooser;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class RowGrid;
class UsageStatisticsCalculator;

// The drug-usage statistics window (Form13, "用药统计"): per drug, how much was dispensed and for
// how much within at most about a month, optionally of one category, in a scrolling grid and as
// an exported workbook. The calculation runs in the background behind a moving progress bar.
class UsageStatisticsWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int VisibleRows = 15;

    UsageStatisticsWindow(UsageStatisticsCalculator &calculator, FileChooser &files, const QDate &today,
                          QWidget *parent = nullptr);
    ~UsageStatisticsWindow() override;

    // Checks the dates and starts the calculation; the results arrive with calculated().
    void calculate();
    void exportWorkbook();

    // From the click until the results are shown.
    bool isCalculating() const { return m_running; }
    const QList<UsageStatistics::Line> &lines() const { return m_lines; }

signals:
    void calculated();

private:
    void finish();
    void advanceProgress();

    UsageStatisticsCalculator &m_calculator;
    FileChooser &m_files;
    QLineEdit *m_from;
    QLineEdit *m_to;
    QComboBox *m_category;
    RowGrid *m_grid;
    QFrame *m_progress;
    QPushButton *m_calculate;
    QPushButton *m_export;
    QTimer m_progressTimer;
    QFutureWatcher<UsageStatistics::Report> m_watcher;
    QList<UsageStatistics::Line> m_lines;
    bool m_running = false;
};
