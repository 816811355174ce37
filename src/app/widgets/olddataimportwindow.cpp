#include "app/widgets/olddataimportwindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/oldjetfile.h"
#include "ui/widgets/filechooser.h"

OldDataImportWindow::OldDataImportWindow(Import import, FileChooser &files, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_import(std::move(import))
    , m_files(files)
{
    setObjectName(QStringLiteral("导入旧版数据"));
    setWindowTitle(QStringLiteral("导入旧版数据"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *explanation = new QLabel(QStringLiteral("从旧版程序的数据库文件（数据库.dat 和 用药统计.dat）导入数据。\n"
                                                  "本机还没有处方、患者和统计数据时，旧版数据全部导入；已经在使用时，只添加本机还没有的处方、患者和统计，"
                                                  "药品目录、模板和常用列表只在勾选时添加。已有的数据不会被覆盖。"),
                                   this);
    explanation->setWordWrap(true);
    m_main = new QLineEdit(this);
    m_main->setObjectName(QStringLiteral("旧版数据库"));
    m_stats = new QLineEdit(this);
    m_stats->setObjectName(QStringLiteral("旧版用药统计"));
    auto *browseMain = new QPushButton(QStringLiteral("浏览…"), this);
    browseMain->setObjectName(QStringLiteral("浏览数据库"));
    auto *browseStats = new QPushButton(QStringLiteral("浏览…"), this);
    browseStats->setObjectName(QStringLiteral("浏览用药统计"));
    connect(browseMain, &QPushButton::clicked, this, [this] { browse(m_main, QStringLiteral("选择旧版的数据库.dat")); });
    connect(browseStats, &QPushButton::clicked, this, [this] { browse(m_stats, QStringLiteral("选择旧版的用药统计.dat")); });
    m_catalogue = new QCheckBox(QStringLiteral("药品目录"), this);
    m_catalogue->setObjectName(QStringLiteral("药品目录"));
    m_templates = new QCheckBox(QStringLiteral("模板（个人组套、中药方剂、病历模板）"), this);
    m_templates->setObjectName(QStringLiteral("模板"));
    m_lists = new QCheckBox(QStringLiteral("常用诊断和常用地址"), this);
    m_lists->setObjectName(QStringLiteral("常用诊断和常用地址"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_result = new QPlainTextEdit(this);
    m_result->setObjectName(QStringLiteral("导入结果"));
    m_result->setReadOnly(true);
    m_start = new QPushButton(QStringLiteral("导  入"), this);
    m_start->setObjectName(QStringLiteral("导入"));
    m_cancel = new QPushButton(QStringLiteral("取  消"), this);
    m_cancel->setObjectName(QStringLiteral("取消"));
    connect(m_start, &QPushButton::clicked, this, &OldDataImportWindow::start);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_running)
            m_cancelled = true;
        else
            close();
    });

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("数据库.dat"), this), 0, 0);
    fields->addWidget(m_main, 0, 1);
    fields->addWidget(browseMain, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("用药统计.dat"), this), 1, 0);
    fields->addWidget(m_stats, 1, 1);
    fields->addWidget(browseStats, 1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(fields);
    layout->addWidget(m_catalogue);
    layout->addWidget(m_templates);
    layout->addWidget(m_lists);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_result);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    resize(600, 460);

    if (!OldJetFile::readerAvailable()) {
        m_status->setText(OldJetFile::readerMissing());
        m_start->setEnabled(false);
    }
}

void OldDataImportWindow::browse(QLineEdit *path, const QString &title)
{
    const QString folder = path->text().isEmpty() ? QFileInfo(m_main->text()).absolutePath() : QFileInfo(path->text()).absolutePath();
    const QString chosen = m_files.openFileName(this, title, QStringLiteral("旧版数据库 (*.dat *.mdb);;所有文件 (*)"), folder);
    if (chosen.isEmpty())
        return;
    path->setText(QDir::toNativeSeparators(chosen));
    // The other file of the pair usually lies beside it.
    QLineEdit *other = path == m_main ? m_stats : m_main;
    const QString sibling = QFileInfo(chosen).dir().filePath(path == m_main ? QStringLiteral("用药统计.dat") : QStringLiteral("数据库.dat"));
    if (other->text().isEmpty() && QFileInfo::exists(sibling))
        other->setText(QDir::toNativeSeparators(sibling));
}

void OldDataImportWindow::start()
{
    if (m_running)
        return;
    const QString main = QDir::fromNativeSeparators(m_main->text().trimmed());
    const QString stats = QDir::fromNativeSeparators(m_stats->text().trimmed());
    for (const QString &path : {main, stats}) {
        if (path.isEmpty() || OldJetFile::version(path) == OldJetFile::Version::NotJet) {
            QMessageBox::warning(this, QStringLiteral("提示"),
                                 path.isEmpty() ? QStringLiteral("请选择旧版的数据库.dat和用药统计.dat两个文件。")
                                                : QStringLiteral("“%1”不是旧版程序的数据库文件。").arg(QDir::toNativeSeparators(path)));
            return;
        }
    }
    OldFileConversion::Options options;
    options.catalogue = m_catalogue->isChecked();
    options.templates = m_templates->isChecked();
    options.lists = m_lists->isChecked();

    m_running = true;
    m_cancelled = false;
    m_start->setEnabled(false);
    m_result->clear();
    m_progress->setRange(0, 0);
    const OldFileConversion::Result result = m_import(main, stats, options, [this](const QString &table, qint64 rows) {
        m_status->setText(QStringLiteral("正在导入：表“%1”，已读%2行").arg(table).arg(rows));
        QCoreApplication::processEvents();
        return !m_cancelled;
    });
    m_running = false;
    m_start->setEnabled(true);
    m_progress->setRange(0, 1);
    m_progress->setValue(result.write.ok ? 1 : 0);
    if (!result.write.ok) {
        m_status->setText(QStringLiteral("没有导入。"));
        m_result->setPlainText(result.write.fullText());
        QMessageBox::warning(this, QStringLiteral("提示"), result.write.fullText());
        return;
    }
    m_status->setText(QStringLiteral("导入完成。"));
    m_result->setPlainText(OldFileConversion::summary(result));
    QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("旧版数据导入完成。"));
}
