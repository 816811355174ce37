#pragma once

#include <atomic>
#include <memory>

#include <QList>
#include <QWidget>

#include "app/backupcatalogue.h"

class BackupService;
class QLabel;
class QTableWidget;
class QThread;

// The window "数据备份与恢复": every backup the program knows with its time, size, contents and
// check; "恢复" asks and hands the chosen one on (the program restores it once every window is
// closed), "立即备份" makes the exit backup now.
class BackupRestoreWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BackupRestoreWindow(BackupService &backups, QWidget *parent = nullptr);
    ~BackupRestoreWindow() override;

    // Lists the backups afresh at once; their checks run behind the list, which fills in as each
    // ends (a full check of ten years' file takes seconds).
    void refresh();

signals:
    // The user chose this backup and agreed to the restart.
    void restoreConfirmed(const BackupEntry &entry);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void restoreChosen();
    void backUpNow();
    void showEntry(int row);
    void stopChecks();

    BackupService &m_backups;
    QList<BackupEntry> m_entries;
    QTableWidget *m_table;
    QLabel *m_note;
    QThread *m_checks = nullptr;
    // Set when the running checks' results no longer belong to the list shown.
    std::shared_ptr<std::atomic_bool> m_checksStale;
};
