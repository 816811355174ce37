#include "ui/widgets/settingswindow.h"

#include "app/clinicsettings.h"
#include "app/settingdefinitions.h"
#include "print/units.h"

#include <QCloseEvent>
#include <QComboBox>
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
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(ClinicSettings &settings, const QString &startupPrinterName, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_startupPrinterName(startupPrinterName)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("综合设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsSize(9825, 5025));

    auto *general = new QGroupBox(QStringLiteral("综合设置"), this);
    auto *generalForm = new QFormLayout(general);
    for (const QString &column : {QStringLiteral("单位名称"), QStringLiteral("医师"), QStringLiteral("发药人"),
                                  QStringLiteral("费别"), QStringLiteral("科别")})
        generalForm->addRow(settingCaption(column), addLine(column));

    auto *margins = new QGroupBox(QStringLiteral("打印边距设置(单位：毫米)"), this);
    auto *marginGrid = new QGridLayout(margins);
    const QString printerDefault = QPrinterInfo::defaultPrinterName();
    marginGrid->addWidget(new QLabel(settingCaption(QStringLiteral("处方字体"))), 0, 0);
    marginGrid->addWidget(addCombo(QStringLiteral("处方字体"), QFontDatabase::families(), QString()), 0, 1);
    marginGrid->addWidget(new QLabel(settingCaption(QStringLiteral("处方字号"))), 0, 2);
    marginGrid->addWidget(addCombo(QStringLiteral("处方字号"),
                                   {QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
                                    QStringLiteral("14"), QStringLiteral("16")},
                                   QString()),
                          0, 3);
    const QStringList marginColumns = {QStringLiteral("左边距"), QStringLiteral("上边距"), QStringLiteral("左边距1"),
                                       QStringLiteral("上边距1"), QStringLiteral("左边距2"), QStringLiteral("上边距2")};
    for (int i = 0; i < marginColumns.size(); ++i) {
        const int row = 1 + i / 2;
        const int column = (i % 2) * 2;
        marginGrid->addWidget(new QLabel(settingCaption(marginColumns.at(i))), row, column);
        marginGrid->addWidget(addLine(marginColumns.at(i)), row, column + 1);
    }

    auto *printers = new QGroupBox(QStringLiteral("打印机设置"), this);
    auto *printerForm = new QFormLayout(printers);
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    for (const QString &column : {QStringLiteral("处方打印机"), QStringLiteral("打印机2"), QStringLiteral("打印机3")})
        printerForm->addRow(settingCaption(column), addCombo(column, installed, printerDefault));
    // Stored with the row but not shown.
    addCombo(QStringLiteral("默认打印机"), installed, printerDefault)->hide();

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
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    grid->addLayout(buttons, 2, 0, 1, 2);

    load();
}

QLineEdit *SettingsWindow::addLine(const QString &column)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(column);
    m_fields.insert(column, edit);
    connect(edit, &QLineEdit::textChanged, this, [this, column](const QString &text) {
        if (!m_loading)
            m_settings.setValue(column, text);
    });
    return edit;
}

QComboBox *SettingsWindow::addCombo(const QString &column, const QStringList &items, const QString &emptyFallback)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(column);
    // Editable, so a stored font or printer that is not installed here still shows as stored.
    combo->setEditable(true);
    if (!emptyFallback.isEmpty())
        combo->addItem(emptyFallback);
    combo->addItems(items);
    m_fields.insert(column, combo);
    connect(combo, &QComboBox::currentTextChanged, this, [this, column](const QString &text) {
        if (!m_loading)
            m_settings.setValue(column, text);
    });
    return combo;
}

void SettingsWindow::load()
{
    m_loading = true;
    m_settings.discardEdits();
    static const QStringList shownPrinters = {QStringLiteral("处方打印机"), QStringLiteral("打印机2"), QStringLiteral("打印机3")};
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        QString value = m_settings.value(it.key());
        if (value.isEmpty() && shownPrinters.contains(it.key())) {
            value = m_startupPrinterName;
            // What the window shows is what a save stores.
            m_settings.setValue(it.key(), value);
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
    const WriteResult result = m_settings.save();
    if (!result.ok) {
        // Nothing typed is lost: the window stays open with the edits.
        QMessageBox::warning(this, QStringLiteral("提示"), result.message);
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
