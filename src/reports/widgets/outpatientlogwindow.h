#pragma once

#include <functional>
#include <optional>

#include <QDate>
#include <QString>
#include <QWidget>

#include "data/outpatientlogrepository.h"
#include "print/widgets/printservice.h"
#include "reports/outpatientlogbook.h"

class ClinicSettings;
class FileChooser;
class QLabel;
class QLineEdit;
class RowGrid;

// The outpatient log window (Form7): the visits of a date range in a read-only grid, printed as
// the log book or exported as a workbook. Its print margins live in the settings row, read when it
// opens and written back when it closes.
class OutpatientLogWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxShownVisits = 30000;
    static constexpr int VisibleRows = 20;

    // `physician` names the physician of the log book's footer at the time of printing.
    OutpatientLogWindow(OutpatientLogRepository &log, ClinicSettings &settings, PrintService printer, FileChooser &files,
                        std::function<QString()> physician, const QDate &today, QWidget *parent = nullptr);

    void query();
    void print();
    void preview();
    void exportWorkbook();

    // What the log book would be printed with now: the margin boxes and the physician.
    OutpatientLogBook::Options logBookOptions() const;

    // The path chosen for the last export, as the dialog returned it.
    QString exportPath() const { return m_exportPath; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The visits of the typed range under the busy pointer; the error is the message to show.
    OutpatientLogRepository::Read readVisits(std::optional<int> limit);
    PrintJob printJob(const QList<OutpatientLogRepository::Visit> &visits) const;
    // The log book of the typed range; nothing when there is nothing to print or the user was told why not.
    std::optional<PrintJob> printableJob();
    void showError(const QString &message);

    OutpatientLogRepository &m_log;
    ClinicSettings &m_settings;
    PrintService m_printer;
    FileChooser &m_files;
    std::function<QString()> m_physician;
    RowGrid *m_grid;
    QLineEdit *m_from;
    QLineEdit *m_to;
    QLineEdit *m_leftMargin;
    QLineEdit *m_topMargin;
    QLabel *m_count;
    QString m_storedLeft;
    QString m_storedTop;
    QString m_exportPath;
};
