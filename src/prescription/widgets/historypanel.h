#pragma once

#include <functional>

#include <QDate>
#include <QList>
#include <QWidget>

#include "data/archiverepository.h"

class PrescriptionHistory;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;

// The history panel under the result list: a name filter, a date range, "今日患者", "历史处方", day
// paging and the list of archived prescriptions. A click reopens the row clicked; a right click
// offers to delete the prescription on screen, or to undo a recent deletion.
class HistoryPanel : public QWidget
{
    Q_OBJECT

public:
    HistoryPanel(PrescriptionHistory &history, std::function<QDate()> today, QWidget *popupParent, QWidget *parent = nullptr);

    // "查   询": lists the prescriptions of the filter and the range.
    void query();
    // "今日患者".
    void todayPatients();
    // "历史处方" for the name on the sheet (nothing when it is blank).
    void patientHistory(const QString &name);
    // "<<" and ">>": the day before or after the range's end, by `days` (-1 or 1).
    void moveDay(int days);
    // Removes the rows of a deleted prescription, wherever the menu was opened.
    void removeEntry(const QString &prescriptionId);
    void hideMenu();

    QLineEdit *nameFilter() const { return m_name; }
    QListWidget *list() const { return m_list; }
    QFrame *menu() const { return m_menu; }

signals:
    void reopenRequested(qint64 rowId);
    void deleteRequested();
    // "最近删除": the deletions that can still be undone.
    void recentDeletionsRequested();
    // "历史处方": the window knows the name on the sheet.
    void patientHistoryRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(const QPoint &at);

    PrescriptionHistory &m_history;
    std::function<QDate()> m_today;
    QLineEdit *m_name;
    QLineEdit *m_from;
    QLineEdit *m_to;
    QListWidget *m_list;
    QFrame *m_menu;
    QList<ArchiveRepository::HistoryEntry> m_entries;
};
