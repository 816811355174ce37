#pragma once

#include <functional>

#include <QWidget>

#include "data/oldfileconversion.h"

class FileChooser;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "导入旧版数据": a pair of the old program's files from anywhere (a USB stick) into the clinic's
// data. An empty clinic takes them over whole; one in use gains the prescriptions, patients and
// statistics it does not have yet, and the catalogue, templates and lists only when ticked.
// Nothing existing is overwritten. Shows the table and rows while it reads, the counts at the end.
class OldDataImportWindow : public QWidget
{
    Q_OBJECT

public:
    using Import = std::function<OldFileConversion::Result(const QString &oldMain, const QString &oldStats,
                                                           const OldFileConversion::Options &, const OldFileConversion::Progress &)>;

    OldDataImportWindow(Import import, FileChooser &files, QWidget *parent = nullptr);

private:
    void browse(QLineEdit *path, const QString &title);
    void start();

    Import m_import;
    FileChooser &m_files;
    QLineEdit *m_main;
    QLineEdit *m_stats;
    QCheckBox *m_catalogue;
    QCheckBox *m_templates;
    QCheckBox *m_lists;
    QLabel *m_status;
    QProgressBar *m_progress;
    QPlainTextEdit *m_result;
    QPushButton *m_start;
    QPushButton *m_cancel;
    bool m_running = false;
    bool m_cancelled = false;
};
