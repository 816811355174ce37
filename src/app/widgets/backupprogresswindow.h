#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The small window "正在备份数据…" shown while the exit backup copies and checks the files, so
// that the program does not seem gone while it is still working.
class BackupProgressWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BackupProgressWindow(QWidget *parent = nullptr);

    // Pages copied of the whole; 0 of 0 while the copy is being checked, a negative whole while
    // the length is unknown. Repaints at once (the backup runs on the user-interface thread
    // between these calls).
    void report(int done, int total);

private:
    QLabel *m_text;
    QProgressBar *m_bar;
};
