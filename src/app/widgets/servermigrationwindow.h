#pragma once

#include <functional>

#include <QWidget>

#include "data/databasemigration.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

// Moves the clinic's data from its two SQLite files onto the PostgreSQL server: the user gives
// the address of an empty server database, the copy runs with a progress bar (and can be
// cancelled, leaving nothing on the server), and the rows copied per table are reported.
class ServerMigrationWindow : public QWidget
{
    Q_OBJECT

public:
    using Migrate = std::function<DatabaseMigration::Result(const ServerAddress &, const DatabaseMigration::Progress &)>;

    explicit ServerMigrationWindow(Migrate migrate, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void start();
    void cancel();

    Migrate m_migrate;
    QLineEdit *m_address;
    QProgressBar *m_progress;
    QPushButton *m_start;
    QPushButton *m_cancel;
    bool m_running = false;
    bool m_cancelled = false;
};
