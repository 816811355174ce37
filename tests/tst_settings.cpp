#include "testdatabase.h"

#include <QSignalSpy>

#include "data/database.h"
#include "data/settingsrepository.h"
#include "data/tables.h"
#include "settings/clinicsettings.h"
#include "settings/passwordcheck.h"

// The settings in force, the login comparison and the password change.
class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everySettingHasItsColumn();
    void readByKey();
    void editsAreInForceUntilSavedOrDiscarded();
    void refusedSaveKeepsEditsAndStoredRow();
    void loginComparison_data();
    void loginComparison();
    void passwordChange_data();
    void passwordChange();

private:
    TestDatabase *m_file = nullptr;
    Database *m_db = nullptr;
};

void TestSettings::init()
{
    m_file = new TestDatabase;
    m_db = &m_file->database();
}

void TestSettings::cleanup()
{
    delete m_file;
}

void TestSettings::everySettingHasItsColumn()
{
    // The list is indexed by key, and every column exists in the table.
    for (int i = 0; i < settingDefinitions().size(); ++i) {
        const SettingDefinition &definition = settingDefinitions().at(i);
        QCOMPARE(int(definition.key), i);
        QVERIFY2(Tables::settings().column(definition.column), qPrintable(definition.column));
    }
    QCOMPARE(settingCaption(u"上边距1"_qs), u"病历上边距"_qs);
}

void TestSettings::readByKey()
{
    ClinicSettings settings(*m_db);
    QCOMPARE(settings.value(Setting::Department), u"内儿科"_qs);
    QCOMPARE(settings.value(Setting::PrescriptionTopMargin), u"20"_qs);
    QCOMPARE(settings.value(Setting::CardLeftMargin), u"10"_qs);
    QCOMPARE(settings.value(Setting::LogTopMargin), u"20"_qs);
    QCOMPARE(settings.value(Setting::Dispenser), SettingsRepository(*m_db).load()->value(u"发药人"_qs));
}

void TestSettings::editsAreInForceUntilSavedOrDiscarded()
{
    ClinicSettings settings(*m_db);
    QSignalSpy saved(&settings, &ClinicSettings::organisationNameSaved);
    settings.setValue(Setting::OrganisationName, u"河西村卫生室"_qs);
    QCOMPARE(settings.value(Setting::OrganisationName), u"河西村卫生室"_qs);
    settings.discardEdits();
    QCOMPARE(settings.value(Setting::OrganisationName), u"青山镇卫生院"_qs);
    QCOMPARE(saved.count(), 0);

    settings.setValue(Setting::OrganisationName, u"河西村卫生室"_qs);
    settings.setValue(Setting::PrescriptionFontSize, u"14"_qs);
    QVERIFY(settings.save().ok);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(0).toString(), u"河西村卫生室"_qs);
    const auto stored = SettingsRepository(*m_db).load();
    QCOMPARE(stored->value(u"单位名称"_qs), u"河西村卫生室"_qs);
    QCOMPARE(stored->value(u"处方字号"_qs), u"14"_qs);
    // Saving the window never touches the password or the log margins.
    QCOMPARE(stored->value(u"密码"_qs), u"905"_qs);
    QCOMPARE(stored->value(u"日志左边距"_qs), u"10"_qs);
}

void TestSettings::refusedSaveKeepsEditsAndStoredRow()
{
    ClinicSettings settings(*m_db);
    settings.setValue(Setting::Physician, u"张医生"_qs);
    settings.setValue(Setting::RecordTopMargin, u"12345678901"_qs);
    const WriteResult result = settings.save();
    QVERIFY(!result.ok);
    // Named as the user sees it in the settings window, not by its column 上边距1.
    QVERIFY2(result.message.contains(u"病历上边距"_qs), qPrintable(result.message));
    QCOMPARE(settings.value(Setting::Physician), u"张医生"_qs);
    QCOMPARE(SettingsRepository(*m_db).load()->value(u"医师"_qs), u"李明"_qs);
}

void TestSettings::loginComparison_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("hint");
    QTest::newRow("initial password") << u"905"_qs << u"905"_qs << true << true;
    QTest::newRow("wrong") << u"905"_qs << u"906"_qs << false << true;
    QTest::newRow("empty entry") << u"905"_qs << QString() << false << true;
    QTest::newRow("any letter case") << u"AbC9"_qs << u"aBc9"_qs << true << false;
    QTest::newRow("spaces around the entry") << u"AbC9"_qs << u"  ABC9 "_qs << true << false;
    QTest::newRow("spaces around the stored value") << u" abc9  "_qs << u"abc9"_qs << true << false;
    QTest::newRow("inner space counts") << u"ab c9"_qs << u"abc9"_qs << false << false;
    QTest::newRow("stored with a space is not the initial one") << u"905 "_qs << u"905"_qs << true << false;
    QTest::newRow("unstorable character typed") << u"ab"_qs << u"a"_qs + QChar(0) + u"b"_qs << true << false;
}

void TestSettings::loginComparison()
{
    QFETCH(QString, stored);
    QFETCH(QString, entry);
    QFETCH(bool, accepted);
    QFETCH(bool, hint);
    QCOMPARE(passwordMatches(entry, stored), accepted);
    QCOMPARE(showsInitialPasswordHint(stored), hint);
}

void TestSettings::passwordChange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("oldEntry");
    QTest::addColumn<QString>("newEntry");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("storedAfter");
    using Change = ClinicSettings::PasswordChange;
    QTest::newRow("accepted, new one trimmed") << u"905"_qs << u" 905 "_qs << u"  Neu1 "_qs << int(Change::Changed) << u"Neu1"_qs;
    QTest::newRow("empty new password") << u"905"_qs << u"905"_qs << u"   "_qs << int(Change::EmptyNewPassword) << u"905"_qs;
    // The old password is checked as the login checks it.
    QTest::newRow("old one in another letter case") << u"AbC"_qs << u"abc"_qs << u"x"_qs << int(Change::Changed) << u"x"_qs;
    QTest::newRow("spaces around the stored value") << u"abc "_qs << u" abc"_qs << u"x"_qs << int(Change::Changed) << u"x"_qs;
    QTest::newRow("wrong old password") << u"abc"_qs << u"abd"_qs << u"x"_qs << int(Change::WrongOldPassword) << u"abc"_qs;
    // A lone surrogate cannot be stored; what is stored is what logs in.
    QTest::newRow("unstorable character in the new one") << u"905"_qs << u"905"_qs << u"ab"_qs + QChar(0xD800) << int(Change::Changed) << u"ab"_qs;
    QTest::newRow("too long for the field") << u"905"_qs << u"905"_qs << QString(21, u'a') << int(Change::WriteFailed) << u"905"_qs;
}

void TestSettings::passwordChange()
{
    QFETCH(QString, stored);
    QFETCH(QString, oldEntry);
    QFETCH(QString, newEntry);
    QFETCH(int, outcome);
    QFETCH(QString, storedAfter);
    SettingsRepository repository(*m_db);
    QVERIFY(repository.setPassword(stored).ok);
    ClinicSettings settings(*m_db);
    QString error;
    QCOMPARE(int(settings.changePassword(oldEntry, newEntry, &error)), outcome);
    QCOMPARE(repository.password().value_or(QString()), storedAfter);
    if (outcome == int(ClinicSettings::PasswordChange::WriteFailed))
        QVERIFY2(error.contains(u"密码"_qs), qPrintable(error));
    if (outcome == int(ClinicSettings::PasswordChange::Changed))
        QVERIFY(passwordMatches(newEntry, storedAfter));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
