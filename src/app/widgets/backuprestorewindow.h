#pragma once

#include <QList>
#include <QWidget>

#include "app/backupcatalogue.h"

class BackupService;
class QLabel;
class QTableWidget;

// The window "数据备份与恢复": every backup the program knows with its time, size, contents and
// check; "恢复" asks and hands the chosen one on (the program restores it once every window is
// closed), "立即备份" makes the exit backup now.
class BackupRestoreWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BackupRestoreWindow(BackupService &backups, QWidget *parent = nullptr);

    // Lists and checks the backups afresh.
    void refresh();

signals:
    // The user chose this backup and agreed to the restart.
    void restoreConfirmed(const BackupEntry &entry);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void restoreChosen();
    void backUpNow();

    BackupService &m_backups;
    QList<BackupEntry> m_entries;
    QTableWidget *m_table;
    QLabel *m_note;
};
