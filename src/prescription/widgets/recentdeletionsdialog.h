#pragma once

#include <functional>

#include <QDateTime>
#include <QDialog>
#include <QList>

#include "data/deletedrowsrepository.h"

class QTableWidget;

// "最近删除": the prescriptions and catalogue entries deleted in the last days, newest first, with
// "恢复" to put the chosen one back whole and "关闭".
class RecentDeletionsDialog : public QDialog
{
    Q_OBJECT

public:
    RecentDeletionsDialog(DeletedRowsRepository &deletedRows, std::function<QDateTime()> now, QWidget *parent = nullptr);

    // "恢复" for the chosen row: asked first, then undone; refused with the reason.
    void restoreChosen();
    // Whether a prescription, or a catalogue entry, was put back while the window was open.
    bool restoredPrescription() const { return m_restoredPrescription; }
    bool restoredCatalogueEntry() const { return m_restoredCatalogueEntry; }

private:
    void load();

    DeletedRowsRepository &m_deletedRows;
    std::function<QDateTime()> m_now;
    QTableWidget *m_table;
    QList<DeletedRowsRepository::Entry> m_entries;
    bool m_restoredPrescription = false;
    bool m_restoredCatalogueEntry = false;
};
