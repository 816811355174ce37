#include "messageboxcatcher.h"
#include "testdatabase.h"
#include "teststartupvalues.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include "app/clinicservices.h"
#include "app/exitbackup.h"
#include "app/qttranslations.h"
#include "app/widgets/loginwindow.h"
#include "app/widgets/mainwindow.h"
#include "app/widgets/settingswindow.h"
#include "data/database.h"
#include "data/settingsrepository.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/widgets/prescriptionwindow.h"
#include "print/cjkfonts.h"
#include "print/units.h"
#include "reports/widgets/outpatientlogwindow.h"
#include "settings/clinicsettings.h"
#include "ui/widgets/helpviewer.h"
#include "ui/widgets/questionbox.h"

// The windows as a user meets them: login, the main window's menus, settings and the exit.
class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loginHintFollowsStoredPassword();
    void loginRetriesThenAccepts();
    void loginCancelEndsTheProgram_data();
    void loginCancelEndsTheProgram();
    void captionMenusAndShortcuts();
    void altLetterOpensItsMenu_data();
    void altLetterOpensItsMenu();
    void caretWaitsInTheNameField();
    void interfaceFontIsSimplifiedChinese();
    void questionButtonsSpeakChinese_data();
    void questionButtonsSpeakChinese();
    void menuOpensFreshWindow_data();
    void menuOpensFreshWindow();
    void windowThatRefusesToCloseStays();
    void ctrlCCopiesInsideTextFields();
    void prescriptionWindowIsKept();
    void templateWindowCategory();
    void helpOpensShippedPages();
    void pricingHelpOpensAtItsSection();
    void settingsCancelThenSave();
    void passwordChangeInSettingsWindow();
    void closingBacksUp();
    void logMarginsReachTheBackup();
    void logBookNamesThePrescriptionsPhysician();
    void failedBackupEndsWithNonZeroCode();
    void unsavedPrescriptionIsOfferedForSavingAtExit();

private:
    QAction *action(const QString &caption) const;

    TestDatabase *m_file = nullptr;
    Database *m_db = nullptr;
    ClinicServices *m_services = nullptr;
    ClinicSettings *m_settings = nullptr;
    QTemporaryDir *m_backup = nullptr;
    MainWindow *m_main = nullptr;
};

void TestWindows::init()
{
    m_file = new TestDatabase;
    m_db = &m_file->database();
    m_backup = new QTemporaryDir;
    StartupValues values = testStartupValues(*m_file);
    values.startupPrinterName = u"诊室打印机"_qs;
    m_services = new ClinicServices(values, m_backup->path());
    m_settings = &m_services->settings();
    m_main = new MainWindow(*m_services);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void TestWindows::cleanup()
{
    delete m_main;
    delete m_services;
    delete m_backup;
    delete m_file;
}

QAction *TestWindows::action(const QString &caption) const
{
    return m_main->findChild<QAction *>(caption);
}

void TestWindows::loginHintFollowsStoredPassword()
{
    LoginWindow initial(u"905"_qs);
    initial.show();
    QCOMPARE(initial.windowTitle(), u"登录"_qs);
    QVERIFY(initial.findChild<QLabel *>(u"hintLabel"_qs)->isVisible());
    QCOMPARE(initial.findChild<QLabel *>(u"hintLabel"_qs)->text(), u"(原始密码：905)"_qs);
    LoginWindow changed(u"Neu1"_qs);
    changed.show();
    QVERIFY(!changed.findChild<QLabel *>(u"hintLabel"_qs)->isVisible());
}

void TestWindows::loginRetriesThenAccepts()
{
    LoginWindow login(u"AbC9"_qs);
    QSignalSpy loggedIn(&login, &LoginWindow::loggedIn);
    QSignalSpy cancelled(&login, &LoginWindow::cancelled);
    login.show();
    auto *entry = login.findChild<QLineEdit *>(u"passwordEdit"_qs);
    QCOMPARE(entry->echoMode(), QLineEdit::Password);
    MessageBoxCatcher catcher;
    for (int attempt = 0; attempt < 3; ++attempt) {
        entry->setText(u"wrong"_qs);
        QTest::keyClick(entry, Qt::Key_Return);
    }
    QCOMPARE(catcher.texts(), QStringList(3, u"密码错误！"_qs));
    QCOMPARE(entry->text(), u"wrong"_qs);
    QVERIFY(login.isVisible());
    entry->setText(u" abc9 "_qs);
    QTest::keyClick(entry, Qt::Key_Enter);
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(entry->text(), u" abc9 "_qs);
    QVERIFY(!login.isVisible());
    QCOMPARE(cancelled.count(), 0);
}

void TestWindows::loginCancelEndsTheProgram_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel button") << false;
    QTest::newRow("close box") << true;
}

void TestWindows::loginCancelEndsTheProgram()
{
    QFETCH(bool, closeBox);
    LoginWindow login(u"905"_qs);
    QSignalSpy cancelled(&login, &LoginWindow::cancelled);
    login.show();
    if (closeBox)
        login.close();
    else
        login.findChild<QPushButton *>(u"cancelButton"_qs)->click();
    QCOMPARE(cancelled.count(), 1);
}

void TestWindows::captionMenusAndShortcuts()
{
    QCOMPARE(m_main->windowTitle(), u"QuillonV8.0"_qs);
    QStringList captions;
    for (QAction *item : m_main->menuBar()->actions()) {
        // Shown as written; the letter in brackets works with Alt.
        captions << QString(item->text()).remove(u'&');
        const QString letter = item->text().section(u'(', -1).mid(1, 1);
        QCOMPARE(QKeySequence::mnemonic(item->text()), QKeySequence(Qt::ALT | QKeySequence(letter)[0].key()));
    }
    QCOMPARE(captions, (QStringList{u"综合设置(S)"_qs, u"药物维护(Y)"_qs, u"模板维护(M)"_qs, u"处方录入(C)"_qs, u"门诊病历(B)"_qs,
                                    u"业务统计(T)"_qs, u"门诊日志(Z)"_qs, u"用药统计(J)"_qs, u"操作帮助(H)"_qs}));
    const QList<QPair<QString, QString>> shortcuts = {{u"人个组套\\中药方剂"_qs, u"Ctrl+C"_qs}, {u"病历模板维护"_qs, u"Ctrl+H"_qs},
                                                      {u"添加常用地址"_qs, u"Ctrl+F"_qs}, {u"添加常用诊断"_qs, u"Ctrl+G"_qs},
                                                      {u"操作帮助"_qs, u"Ctrl+M"_qs}, {u"访问作者主页"_qs, u"Ctrl+U"_qs},
                                                      {u"版本信息"_qs, u"Ctrl+R"_qs}};
    for (const auto &[caption, keys] : shortcuts) {
        QVERIFY2(action(caption), qPrintable(caption));
        QCOMPARE(action(caption)->shortcut(), QKeySequence(keys));
    }
    // The designed minimum, as far as the screen the window is on has room for it (the test
    // screen is 800 × 800: room for the height, not for the width).
    const QSize screen = m_main->screen()->availableSize();
    QCOMPARE(m_main->minimumSize().height(), twipsSize(15630, 10950).height());
    QVERIFY(m_main->minimumSize().width() < screen.width());
    QVERIFY(m_main->minimumSize().width() > screen.width() * 9 / 10);
}

void TestWindows::altLetterOpensItsMenu_data()
{
    QTest::addColumn<int>("letter");
    QTest::addColumn<QString>("opened");
    QTest::newRow("综合设置(S)") << int(Qt::Key_S) << u"Form8"_qs;
    QTest::newRow("药物维护(Y)") << int(Qt::Key_Y) << u"Form3"_qs;
    QTest::newRow("门诊病历(B)") << int(Qt::Key_B) << u"Form14"_qs;
    QTest::newRow("用药统计(J)") << int(Qt::Key_J) << u"Form13"_qs;
    QTest::newRow("模板维护(M) drops its menu") << int(Qt::Key_M) << u"menu"_qs;
}

void TestWindows::altLetterOpensItsMenu()
{
    QFETCH(int, letter);
    QFETCH(QString, opened);
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QTest::keyClick(m_main, Qt::Key(letter), Qt::AltModifier);
    if (opened == u"menu"_qs) {
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QVERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget())->actions().contains(action(u"病历模板维护"_qs)));
        QApplication::activePopupWidget()->close();
    } else if (opened == u"Form8"_qs) {
        QVERIFY(m_main->settingsWindow());
        QTRY_VERIFY(m_main->settingsWindow()->isVisible());
    } else {
        QTRY_VERIFY(m_main->childWindow(opened));
    }
}

void TestWindows::caretWaitsInTheNameField()
{
    // After login the first thing typed is the patient's name.
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QTRY_VERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), u"Text5_0"_qs);
}

namespace {

// The captions of the buttons of the message box `open` shows; the box is answered No (or OK).
QStringList buttonCaptions(const std::function<void()> &open)
{
    QStringList captions;
    QTimer::singleShot(0, [&captions] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton *button : box->buttons())
            captions << button->text();
        QAbstractButton *answer = box->button(QMessageBox::No) ? box->button(QMessageBox::No) : box->button(QMessageBox::Ok);
        answer->click();
    });
    open();
    captions.sort();
    return captions;
}

void removeTranslators()
{
    for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace

void TestWindows::interfaceFontIsSimplifiedChinese()
{
    // Whatever the system's language: under a neutral locale fontconfig's own choice is a Japanese face.
    const QFont font = CjkFonts::interfaceFont(QApplication::font());
    QCOMPARE(font.pointSizeF(), QApplication::font().pointSizeF());
    const QStringList installed = QFontDatabase::families();
    const QStringList wanted = CjkFonts::interfaceFamilies();
    if (std::none_of(wanted.begin(), wanted.end(), [&](const QString &family) { return installed.contains(family); }))
        QSKIP("no Simplified Chinese face installed (Debian fonts-noto-cjk)");
    QVERIFY2(wanted.contains(QFontInfo(font).family()), qPrintable(QFontInfo(font).family()));
}

void TestWindows::questionButtonsSpeakChinese_data()
{
    QTest::addColumn<bool>("qtTranslationFound");
    QTest::newRow("with Qt's translation") << true;
    QTest::newRow("no translation on this computer") << false;
}

void TestWindows::questionButtonsSpeakChinese()
{
    QFETCH(bool, qtTranslationFound);
    QTemporaryDir empty;
    const QStringList folders = qtTranslationFound ? QtTranslations::folders(QCoreApplication::applicationDirPath()) : QStringList{empty.path()};
    const QString loaded = QtTranslations::install(*qApp, folders);
    if (qtTranslationFound && loaded.isEmpty()) {
        removeTranslators();
        QSKIP("Qt's Chinese translation is not installed (Debian qt6-translations-l10n)");
    }
    QCOMPARE(loaded.isEmpty(), !qtTranslationFound);
    // Qt's own boxes, as start-up leaves them: no English left on the standard buttons.
    const QStringList yesNo = buttonCaptions([] { QMessageBox::question(nullptr, u"提示"_qs, u"问题"_qs, QMessageBox::Yes | QMessageBox::No); });
    QCOMPARE(yesNo.size(), 2);
    QVERIFY2(yesNo.at(0).contains(u"否"_qs) && yesNo.at(1).contains(u"是"_qs), qPrintable(yesNo.join(u'|')));
    QCOMPARE(buttonCaptions([] { QMessageBox::information(nullptr, u"提示"_qs, u"消息"_qs); }), QStringList{u"确定"_qs});
    removeTranslators();
    // Our questions word their buttons themselves.
    QCOMPARE(buttonCaptions([] { QuestionBox::askYesNo(nullptr, u"问题"_qs, true); }), (QStringList{u"否(&N)"_qs, u"是(&Y)"_qs}));
    QCOMPARE(buttonCaptions([] { QuestionBox::askOkCancel(nullptr, u"删除吗？"_qs); }), (QStringList{u"取消"_qs, u"确定"_qs}));
}

void TestWindows::menuOpensFreshWindow_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("title");
    QTest::newRow("drugs") << u"药物维护(Y)"_qs << u"Form3"_qs << u"药物维护"_qs;
    QTest::newRow("templates") << u"人个组套\\中药方剂"_qs << u"Form4"_qs << u"个人组套/中药方剂/病历模板维护"_qs;
    QTest::newRow("addresses") << u"添加常用地址"_qs << u"Form6"_qs << u"添加常用地址"_qs;
    QTest::newRow("diagnoses") << u"添加常用诊断"_qs << u"Form5"_qs << u"诊断名称维护"_qs;
    QTest::newRow("medical record") << u"门诊病历(B)"_qs << u"Form14"_qs << u"门诊病历"_qs;
    QTest::newRow("workload") << u"业务统计(T)"_qs << u"Form12"_qs << u"统计"_qs;
    QTest::newRow("log") << u"门诊日志(Z)"_qs << u"Form7"_qs << u"门诊日志"_qs;
    QTest::newRow("drug usage") << u"用药统计(J)"_qs << u"Form13"_qs << u"用药统计"_qs;
    QTest::newRow("about") << u"版本信息"_qs << u"Form10"_qs << u"关于"_qs;
}

void TestWindows::menuOpensFreshWindow()
{
    QFETCH(QString, caption);
    QFETCH(QString, form);
    QFETCH(QString, title);
    action(caption)->trigger();
    QPointer<QWidget> first = m_main->childWindow(form);
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), title);
    QVERIFY(first->isVisible());
    action(caption)->trigger();
    QVERIFY(!first);
    QWidget *second = m_main->childWindow(form);
    QVERIFY(second);
    QVERIFY(second->isVisible());
    int instances = 0;
    for (QMdiSubWindow *sub : m_main->mdiArea()->subWindowList())
        instances += sub->widget()->objectName() == form;
    QCOMPARE(instances, 1);
}

void TestWindows::windowThatRefusesToCloseStays()
{
    // A window with unsaved edits may refuse to close; opening it again from the menu keeps it.
    class RefuseClose : public QObject
    {
    public:
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() != QEvent::Close)
                return false;
            event->ignore();
            return true;
        }
    } refuse;
    action(u"药物维护(Y)"_qs)->trigger();
    QPointer<QWidget> first = m_main->childWindow(u"Form3"_qs);
    first->installEventFilter(&refuse);
    action(u"药物维护(Y)"_qs)->trigger();
    QVERIFY(first);
    QCOMPARE(m_main->childWindow(u"Form3"_qs), first.data());
    QCOMPARE(m_main->mdiArea()->activeSubWindow()->widget(), first.data());
    first->removeEventFilter(&refuse);
    action(u"药物维护(Y)"_qs)->trigger();
    QVERIFY(!first);
}

void TestWindows::ctrlCCopiesInsideTextFields()
{
    // The menu's Ctrl+C opens the templates only where no text field wants the key for copying.
    auto *edit = new QLineEdit(u"阿莫西林胶囊"_qs);
    m_main->mdiArea()->addSubWindow(edit)->show();
    QApplication::setActiveWindow(m_main);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!m_main->childWindow(u"Form4"_qs));
    m_main->mdiArea()->setFocus();
    QTest::keyClick(m_main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(m_main->childWindow(u"Form4"_qs));
}

void TestWindows::prescriptionWindowIsKept()
{
    // The first resize created it, so it is the first thing seen after logging in.
    QPointer<QWidget> prescription = m_main->childWindow(u"Form2"_qs);
    QVERIFY(prescription);
    QVERIFY(prescription->isVisible());
    QVERIFY(prescription->windowTitle().endsWith(u"处方录入"_qs));
    action(u"药物维护(Y)"_qs)->trigger();
    action(u"处方录入(C)"_qs)->trigger();
    QCOMPARE(m_main->childWindow(u"Form2"_qs), prescription.data());
    QCOMPARE(m_main->mdiArea()->activeSubWindow()->widget(), prescription.data());
}

void TestWindows::templateWindowCategory()
{
    action(u"病历模板维护"_qs)->trigger();
    QCOMPARE(m_main->childWindow(u"Form4"_qs)->property("category").toString(), u"病历模板"_qs);
    action(u"人个组套\\中药方剂"_qs)->trigger();
    QCOMPARE(m_main->childWindow(u"Form4"_qs)->property("category").toString(), u"个人组套"_qs);
}

void TestWindows::helpOpensShippedPages()
{
    action(u"操作帮助"_qs)->trigger();
    HelpViewer *viewer = m_main->helpViewer();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->currentUrl().scheme(), u"qrc"_qs);
    const QString text = viewer->findChild<QTextBrowser *>()->toPlainText();
    for (const QString &topic : {u"登录"_qs, u"划价"_qs, u"拼音"_qs, u"备份"_qs})
        QVERIFY2(text.contains(topic), qPrintable(topic));
    action(u"访问作者主页"_qs)->trigger();
    QVERIFY(viewer->findChild<QTextBrowser *>()->toPlainText().contains(u"Quillon"_qs));
}

void TestWindows::pricingHelpOpensAtItsSection()
{
    QWidget *prescription = m_main->childWindow(u"Form2"_qs);
    QVERIFY(prescription);
    prescription->findChild<QPushButton *>(u"自动划价帮助"_qs)->click();
    HelpViewer *viewer = m_main->helpViewer();
    QVERIFY(viewer);
    QCOMPARE(viewer->currentUrl().fragment(), u"price"_qs);
    QVERIFY(viewer->findChild<QTextBrowser *>()->toPlainText().contains(u"正文怎样写才能自动划价"_qs));
}

void TestWindows::settingsCancelThenSave()
{
    action(u"综合设置(S)"_qs)->trigger();
    QPointer<SettingsWindow> window = m_main->settingsWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QCOMPARE(window->objectName(), u"Form8"_qs);
    // Every control sits in its group; none floats over the window's corner, and the log book's
    // margins, kept by the log window, have none here.
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->isVisibleTo(window) && (qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)))
            QVERIFY2(control->parentWidget() != window, qPrintable(control->objectName()));
    }
    QVERIFY(!window->field(u"日志上边距"_qs));
    QVERIFY(!window->field(u"日志左边距"_qs));
    // Opening it again discards the open instance and its edits.
    qobject_cast<QLineEdit *>(window->field(u"医师"_qs))->setText(u"未保存"_qs);
    action(u"综合设置(S)"_qs)->trigger();
    QVERIFY(!window);
    window = m_main->settingsWindow();
    QCOMPARE(qobject_cast<QLineEdit *>(window->field(u"医师"_qs))->text(), u"李明"_qs);
    auto *organisation = qobject_cast<QLineEdit *>(window->field(u"单位名称"_qs));
    QCOMPARE(organisation->text(), u"青山镇卫生院"_qs);
    QCOMPARE(qobject_cast<QComboBox *>(window->field(u"处方打印机"_qs))->currentText(), u"诊室打印机"_qs);
    organisation->setText(u"河西村卫生室"_qs);
    // Unsaved edits are the settings in force while the window is open.
    QCOMPARE(m_settings->value(Setting::OrganisationName), u"河西村卫生室"_qs);
    window->findChild<QPushButton *>(u"cancelButton"_qs)->click();
    QTRY_VERIFY(!window);
    QCOMPARE(m_settings->value(Setting::OrganisationName), u"青山镇卫生院"_qs);
    QCOMPARE(SettingsRepository(*m_db).load()->value(u"单位名称"_qs), u"青山镇卫生院"_qs);

    QSignalSpy saved(m_settings, &ClinicSettings::organisationNameSaved);
    action(u"综合设置(S)"_qs)->trigger();
    window = m_main->settingsWindow();
    qobject_cast<QLineEdit *>(window->field(u"单位名称"_qs))->setText(u"O'Hara 诊所"_qs);
    qobject_cast<QLineEdit *>(window->field(u"上边距"_qs))->setText(u"25"_qs);
    window->findChild<QPushButton *>(u"saveButton"_qs)->click();
    QTRY_VERIFY(!window);
    QCOMPARE(saved.count(), 1);
    const auto stored = SettingsRepository(*m_db).load();
    QCOMPARE(stored->value(u"单位名称"_qs), u"O'Hara 诊所"_qs);
    QCOMPARE(stored->value(u"上边距"_qs), u"25"_qs);
    // The printers shown are stored even if untouched.
    for (const QString &printer : {u"处方打印机"_qs, u"打印机2"_qs, u"打印机3"_qs})
        QCOMPARE(stored->value(printer), u"诊室打印机"_qs);

    // A refused save keeps the window open with what was typed.
    action(u"综合设置(S)"_qs)->trigger();
    window = m_main->settingsWindow();
    qobject_cast<QLineEdit *>(window->field(u"左边距"_qs))->setText(u"12345678901"_qs);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"saveButton"_qs)->click();
    QTRY_COMPARE(catcher.texts().size(), 1);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(qobject_cast<QLineEdit *>(window->field(u"左边距"_qs))->text(), u"12345678901"_qs);
}

void TestWindows::passwordChangeInSettingsWindow()
{
    action(u"综合设置(S)"_qs)->trigger();
    QPointer<SettingsWindow> window = m_main->settingsWindow();
    auto *oldBox = window->findChild<QLineEdit *>(u"oldPassword"_qs);
    auto *newBox = window->findChild<QLineEdit *>(u"newPassword"_qs);
    auto *change = window->findChild<QPushButton *>(u"changePasswordButton"_qs);
    MessageBoxCatcher catcher;
    change->click();
    oldBox->setText(u"906"_qs);
    newBox->setText(u"abc"_qs);
    change->click();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    oldBox->setText(u"905"_qs);
    newBox->setText(u" Neu1 "_qs);
    change->click();
    QTRY_VERIFY(!window);
    QCOMPARE(catcher.texts(), (QStringList{u"请输入新密码！"_qs, u"原密码不正确，无法修改密码！"_qs, u"修改密码成功，请牢记新密码！"_qs}));
    QCOMPARE(SettingsRepository(*m_db).password().value_or(QString()), u"Neu1"_qs);
}

void TestWindows::closingBacksUp()
{
    QSignalSpy finished(m_main, &MainWindow::finished);
    const QDate today = QDate::currentDate();
    // While the files are copied a window says so; the program does not seem gone.
    QString shown;
    QTimer::singleShot(0, this, [&shown] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == u"BackupProgressWindow"_qs && window->isVisible())
                shown = window->findChild<QLabel *>(u"backupText"_qs)->text();
        }
    });
    m_main->close();
    QVERIFY2(shown.startsWith(u"正在"_qs) && shown.contains(u"备份数据"_qs), qPrintable(shown));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QVERIFY(!m_main->isVisible());
    const QString day = m_backup->filePath(ExitBackup::weekdayFolderName(today));
    // Data on the server is backed up as a dump of its own.
    QVERIFY2(QFileInfo::exists(day + (testsOnServer() ? u"/数据库.sql"_qs : u"/数据库.dat"_qs)), qPrintable(day));
}

void TestWindows::logMarginsReachTheBackup()
{
    if (testsOnServer())
        QSKIP("reads the backup as a SQLite file; the server's dumps are tested in tst_server");
    action(u"门诊日志(Z)"_qs)->trigger();
    QWidget *log = m_main->childWindow(u"Form7"_qs);
    QVERIFY(log);
    log->findChild<QLineEdit *>(u"leftMarginEdit"_qs)->setText(u"15"_qs);
    const QDate today = QDate::currentDate();
    m_main->close();
    // The open log window stored its margins before the files were copied.
    Database copy(m_backup->filePath(ExitBackup::weekdayFolderName(today)) + u"/数据库.dat"_qs);
    const auto stored = SettingsRepository(copy).load();
    QVERIFY(stored);
    QCOMPARE(stored->value(u"日志左边距"_qs), u"15"_qs);
}

void TestWindows::logBookNamesThePrescriptionsPhysician()
{
    QVERIFY(m_main->prescriptionWindow());
    PrescriptionSheet &sheet = m_main->prescriptionWindow()->sheet();
    sheet.setField(PrescriptionSheet::Physician, u"李医师"_qs);
    action(u"门诊日志(Z)"_qs)->trigger();
    auto *log = qobject_cast<OutpatientLogWindow *>(m_main->childWindow(u"Form7"_qs));
    QVERIFY(log);
    QCOMPARE(log->logBookOptions().physician, u"李医师"_qs);
    // Taken when printing, not when the log opened.
    sheet.setField(PrescriptionSheet::Physician, u"王医师"_qs);
    QCOMPARE(log->logBookOptions().physician, u"王医师"_qs);
}

void TestWindows::failedBackupEndsWithNonZeroCode()
{
    // A backup root below a file can never be made, whoever runs the program.
    StartupValues values = testStartupValues(*m_file);
    const QString file = m_file->folder() + u"/一个文件"_qs;
    QVERIFY(writeTestFile(file));
    ClinicServices services(values, file + u"/备份"_qs);
    MainWindow window(services);
    window.show();
    QSignalSpy finished(&window, &MainWindow::finished);
    MessageBoxCatcher catcher;
    window.close();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY2(catcher.texts().at(0).contains(u"备份"_qs), qPrintable(catcher.texts().at(0)));
}

void TestWindows::unsavedPrescriptionIsOfferedForSavingAtExit()
{
    PrescriptionWindow *prescription = m_main->prescriptionWindow();
    QVERIFY(prescription);
    QVERIFY(!prescription->hasUnsavedChanges());
    prescription->sheet().setField(PrescriptionSheet::Name, u"郑十一"_qs);
    prescription->sheet().setBody(u"注射费 1次\r\n"_qs);
    QVERIFY(prescription->hasUnsavedChanges());
    QSignalSpy finished(m_main, &MainWindow::finished);
    // "取消" keeps the program running with the prescription on screen.
    QTimer::singleShot(50, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        for (QAbstractButton *button : box ? box->buttons() : QList<QAbstractButton *>()) {
            if (button->text() == u"取消"_qs)
                button->click();
        }
    });
    m_main->close();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prescription->sheet().field(PrescriptionSheet::Name), u"郑十一"_qs);
    // "保存" stores it, then the program ends.
    MessageBoxCatcher catcher;
    m_main->close();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(catcher.texts(), QStringList{u"当前处方还没有保存。要先保存吗？"_qs});
    QCOMPARE(count(*m_db, u"select count(*) from 档案 where \"0\" = '郑十一'"_qs), 1);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
