#include "app/widgets/settingswindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/secondbackupplace.h"
#include "app/widgets/windowplacement.h"
#include "print/units.h"
#include "settings/clinicsettings.h"
#include "settings/settingdefinitions.h"

SettingsWindow::SettingsWindow(ClinicSettings &settings, const QString &startupPrinterName, QWidget *parent,
                               SecondBackupPlace *backupPlace)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_startupPrinterName(startupPrinterName)
    , m_backupPlace(backupPlace)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("综合设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsSize(9825, 5025));

    auto *general = new QGroupBox(QStringLiteral("综合设置"), this);
    auto *generalForm = new QFormLayout(general);
    auto *margins = new QGroupBox(QStringLiteral("打印边距设置(单位：毫米)"), this);
    auto *marginGrid = new QGridLayout(margins);
    auto *printers = new QGroupBox(QStringLiteral("打印机设置"), this);
    auto *printerForm = new QFormLayout(printers);
    const QStringList installedPrinters = QPrinterInfo::availablePrinterNames();
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    int printingCell = 0;
    for (const SettingDefinition &definition : settingDefinitions()) {
        // The log book's margins belong to its own window; a control here would only float, unlaid.
        if (definition.group == SettingDefinition::Group::NotInWindow)
            continue;
        QWidget *control = nullptr;
        switch (definition.control) {
        case SettingDefinition::Control::Line:
            control = addLine(definition);
            break;
        case SettingDefinition::Control::FontList:
            control = addCombo(definition, QFontDatabase::families(), QString());
            break;
        case SettingDefinition::Control::FontSizeList:
            control = addCombo(definition, {QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16")},
                               QString());
            break;
        case SettingDefinition::Control::PrinterList:
            control = addCombo(definition, installedPrinters, defaultPrinter);
            break;
        }
        switch (definition.group) {
        case SettingDefinition::Group::General:
            generalForm->addRow(definition.caption, control);
            break;
        case SettingDefinition::Group::Printing:
            // Two settings a row: font and size, then left and top margin of each form.
            marginGrid->addWidget(new QLabel(definition.caption, margins), printingCell / 2, (printingCell % 2) * 2);
            marginGrid->addWidget(control, printingCell / 2, (printingCell % 2) * 2 + 1);
            ++printingCell;
            break;
        case SettingDefinition::Group::Printers:
            printerForm->addRow(definition.caption, control);
            break;
        case SettingDefinition::Group::Hidden:
            // Stored with the row but not shown.
            control->hide();
            break;
        case SettingDefinition::Group::NotInWindow:
            break;
        }
    }

    auto *password = new QGroupBox(QStringLiteral("修改登录密码"), this);
    auto *passwordForm = new QFormLayout(password);
    m_oldPassword = new QLineEdit(password);
    m_oldPassword->setObjectName(QStringLiteral("oldPassword"));
    m_newPassword = new QLineEdit(password);
    m_newPassword->setObjectName(QStringLiteral("newPassword"));
    auto *change = new QPushButton(QStringLiteral("修改密码"), password);
    change->setObjectName(QStringLiteral("changePasswordButton"));
    passwordForm->addRow(QStringLiteral("原密码"), m_oldPassword);
    passwordForm->addRow(QStringLiteral("新密码"), m_newPassword);
    passwordForm->addRow(QString(), change);
    connect(change, &QPushButton::clicked, this, &SettingsWindow::changePassword);

    auto *saveButton = new QPushButton(QStringLiteral("保  存"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    connect(saveButton, &QPushButton::clicked, this, &SettingsWindow::save);
    auto *cancelButton = new QPushButton(QStringLiteral("取  消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    auto *grid = new QGridLayout(this);
    grid->addWidget(general, 0, 0);
    grid->addWidget(margins, 0, 1);
    grid->addWidget(printers, 1, 0);
    grid->addWidget(password, 1, 1);
    auto *migrate = new QPushButton(QStringLiteral("迁移到数据库服务器…"), this);
    migrate->setObjectName(QStringLiteral("迁移到数据库服务器"));
    connect(migrate, &QPushButton::clicked, this, &SettingsWindow::migrationRequested);
    auto *importOld = new QPushButton(QStringLiteral("导入旧版数据…"), this);
    importOld->setObjectName(QStringLiteral("导入旧版数据"));
    connect(importOld, &QPushButton::clicked, this, &SettingsWindow::oldDataImportRequested);
    auto *backups = new QPushButton(QStringLiteral("数据备份与恢复…"), this);
    backups->setObjectName(QStringLiteral("数据备份与恢复"));
    connect(backups, &QPushButton::clicked, this, &SettingsWindow::backupsRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(migrate);
    buttons->addWidget(importOld);
    buttons->addWidget(backups);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    if (m_backupPlace) {
        // Kept per computer (a USB stick here is not one on the next computer).
        auto *place = new QGroupBox(QStringLiteral("第二备份位置（U盘、另一块硬盘或网络文件夹）"), this);
        auto *placeRow = new QHBoxLayout(place);
        m_backupFolder = new QLineEdit(m_backupPlace->folder(), place);
        m_backupFolder->setObjectName(QStringLiteral("第二备份位置"));
        m_backupFolder->setPlaceholderText(QStringLiteral("不设置则只备份在本机"));
        auto *choose = new QPushButton(QStringLiteral("选择…"), place);
        choose->setObjectName(QStringLiteral("选择"));
        connect(choose, &QPushButton::clicked, this, [this] {
            const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("选择第二备份位置"), m_backupFolder->text());
            if (!folder.isEmpty())
                m_backupFolder->setText(QDir::toNativeSeparators(folder));
        });
        m_backupDays = new QSpinBox(place);
        m_backupDays->setObjectName(QStringLiteral("保留天数"));
        m_backupDays->setRange(1, 3650);
        m_backupDays->setValue(m_backupPlace->keepDays());
        placeRow->addWidget(m_backupFolder, 1);
        placeRow->addWidget(choose);
        placeRow->addWidget(new QLabel(QStringLiteral("保留天数"), place));
        placeRow->addWidget(m_backupDays);
        grid->addWidget(place, 2, 0, 1, 2);
    }
    grid->addLayout(buttons, 3, 0, 1, 2);

    load();
}

QWidget *SettingsWindow::addLine(const SettingDefinition &definition)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(definition.column);
    m_fields.insert(definition.column, edit);
    m_keys.insert(definition.column, definition.key);
    const Setting key = definition.key;
    connect(edit, &QLineEdit::textChanged, this, [this, key](const QString &text) {
        if (!m_loading)
            m_settings.setValue(key, text);
    });
    return edit;
}

QWidget *SettingsWindow::addCombo(const SettingDefinition &definition, const QStringList &items, const QString &emptyFallback)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(definition.column);
    // Editable, so a stored font or printer that is not installed here still shows as stored.
    combo->setEditable(true);
    if (!emptyFallback.isEmpty())
        combo->addItem(emptyFallback);
    combo->addItems(items);
    m_fields.insert(definition.column, combo);
    m_keys.insert(definition.column, definition.key);
    const Setting key = definition.key;
    connect(combo, &QComboBox::currentTextChanged, this, [this, key](const QString &text) {
        if (!m_loading)
            m_settings.setValue(key, text);
    });
    return combo;
}

void SettingsWindow::load()
{
    m_loading = true;
    m_settings.discardEdits();
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        const SettingDefinition &definition = settingDefinition(m_keys.value(it.key()));
        QString value = m_settings.value(definition.key);
        if (value.isEmpty() && definition.group == SettingDefinition::Group::Printers) {
            value = m_startupPrinterName;
            // What the window shows is what a save stores.
            m_settings.setValue(definition.key, value);
        }
        if (auto *edit = qobject_cast<QLineEdit *>(it.value()))
            edit->setText(value);
        else if (auto *combo = qobject_cast<QComboBox *>(it.value()))
            combo->setCurrentText(value);
    }
    m_loading = false;
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    if (parentWidget()) {
        const QWidget *main = parentWidget()->window();
        move(main->geometry().topLeft() + childWindowPosition(main->size(), frameGeometry().size()));
    }
    QWidget::showEvent(event);
}

void SettingsWindow::save()
{
    WriteResult result = m_settings.save();
    if (result.ok && m_backupPlace)
        result = m_backupPlace->save(QDir::fromNativeSeparators(m_backupFolder->text()), m_backupDays->value());
    if (!result.ok) {
        // Nothing typed is lost: the window stays open with the edits.
        QMessageBox::warning(this, QStringLiteral("提示"), result.fullText());
        return;
    }
    m_saved = true;
    close();
}

void SettingsWindow::changePassword()
{
    if (m_newPassword->text().trimmed().isEmpty()) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("请输入新密码！"));
        return;
    }
    hide();
    QString error;
    switch (m_settings.changePassword(m_oldPassword->text(), m_newPassword->text(), &error)) {
    case ClinicSettings::PasswordChange::Changed:
        QMessageBox::information(parentWidget(), QStringLiteral("提示"), QStringLiteral("修改密码成功，请牢记新密码！"));
        close();
        return;
    case ClinicSettings::PasswordChange::WrongOldPassword:
        QMessageBox::information(parentWidget(), QStringLiteral("提示"), QStringLiteral("原密码不正确，无法修改密码！"));
        break;
    case ClinicSettings::PasswordChange::WriteFailed:
        QMessageBox::warning(parentWidget(), QStringLiteral("提示"), error);
        break;
    case ClinicSettings::PasswordChange::EmptyNewPassword:
        break;
    }
    show();
}

void SettingsWindow::closeEvent(QCloseEvent *event)
{
    if (!m_saved)
        m_settings.discardEdits();
    QWidget::closeEvent(event);
}
