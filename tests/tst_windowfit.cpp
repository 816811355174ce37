#include "testdatabase.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "app/clinicservices.h"
#include "app/widgets/loginwindow.h"
#include "app/widgets/mainwindow.h"
#include "app/widgets/settingswindow.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/widgets/prescriptionwindow.h"
#include "ui/widgets/formscale.h"

namespace {

// The screens the program meets, in device pixels; the suite runs at several QT_SCALE_FACTORs, so
// the main window gets the logical size such a screen leaves it (less a task bar and a title bar).
struct Screen
{
    const char *name;
    QSize pixels;
};
const Screen Screens[] = {{"1366x768", QSize(1366, 768)}, {"1920x1080", QSize(1920, 1080)}};
constexpr int TaskBarAndTitle = 70;

struct ChildWindow
{
    const char *menu;
    const char *form;
};
const ChildWindow ChildWindows[] = {
    {"处方录入(C)", "Form2"},  {"药物维护(Y)", "Form3"},  {"人个组套\\中药方剂", "Form4"}, {"添加常用诊断", "Form5"},
    {"添加常用地址", "Form6"}, {"门诊病历(B)", "Form14"}, {"门诊日志(Z)", "Form7"},      {"业务统计(T)", "Form12"},
    {"用药统计(J)", "Form13"}, {"版本信息", "Form10"},
};

QSize logicalRoom(const QSize &pixels)
{
    const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    return QSize(qFloor(pixels.width() / ratio), qFloor(pixels.height() / ratio) - TaskBarAndTitle);
}

QString shownText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// Rows on a panel taller than its frame (the priced sheet's 36 rows) are brought into sight by
// that frame's own scroll bar.
bool onScrolledPanel(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *panel = widget->parentWidget(); panel && panel != window; panel = panel->parentWidget()) {
        if (panel->parentWidget() && !panel->parentWidget()->rect().contains(panel->geometry()))
            return true;
    }
    return false;
}

// The named controls a user sees on a window.
QList<QWidget *> namedControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_")) && !widget->isWindow()
            && widget->isVisibleTo(window) && !onScrolledPanel(widget, window))
            controls.append(widget);
    }
    return controls;
}

// Every named control lies wholly inside its parent (nothing sticks out of a panel or a frame),
// and its caption fits it. The faults found, one a line.
QStringList brokenControls(QWidget *window)
{
    QStringList faults;
    for (QWidget *widget : namedControls(window)) {
        const QString what = window->objectName() + QLatin1Char('/') + widget->objectName();
        if (QWidget *parent = widget->parentWidget(); parent && parent != window->parentWidget() && !parent->rect().contains(widget->geometry()))
            faults.append(what + QStringLiteral(" sticks out of its parent"));
        const QFontMetrics metrics(widget->font());
        if (auto *label = qobject_cast<QLabel *>(widget); label && !label->wordWrap() && !label->text().contains(QLatin1Char('<'))) {
            for (const QString &line : label->text().split(QLatin1Char('\n'))) {
                if (metrics.horizontalAdvance(line) > label->contentsRect().width() + 1)
                    faults.append(what + QStringLiteral(" clips ") + line);
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            // A neighbour lying over a button hides the end of its caption.
            for (QAbstractButton *other : button->parentWidget()->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)) {
                if (other != button && other->isVisibleTo(window) && other->geometry().intersects(button->geometry()))
                    faults.append(what + QStringLiteral(" lies under ") + other->objectName());
            }
            const QString text = shownText(button->text());
            int mark = 0;
            if (qobject_cast<QRadioButton *>(button))
                mark = button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button)
                    + button->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
            else if (qobject_cast<QCheckBox *>(button))
                mark = button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                    + button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
            if (metrics.horizontalAdvance(text) + 4 + mark > button->width())
                faults.append(what + QStringLiteral(" clips ") + text);
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            const int arrow = combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
            for (int i = 0; i < combo->count(); ++i) {
                if (metrics.horizontalAdvance(combo->itemText(i)) + arrow > combo->width())
                    faults.append(what + QStringLiteral(" clips ") + combo->itemText(i));
            }
        }
    }
    return faults;
}

} // namespace

// Every window on the screens and at the scale factors of the clinics: drawn as large as fits,
// every control in sight (or reachable by scrolling where even the smallest drawing is too
// large), and no caption cut off.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fittingFactor_data();
    void fittingFactor();
    void childWindowFits_data();
    void childWindowFits();
    void prescriptionWindowFollowsTheMainWindow();
    void settingsWindowFitsTheScreen();
    void loginWindowFitsTheScreen();

private:
    QWidget *open(const QString &menu, const QString &form);

    TestDatabase *m_file = nullptr;
    ClinicServices *m_services = nullptr;
    QTemporaryDir *m_backup = nullptr;
    MainWindow *m_main = nullptr;
};

void TestWindowFit::init()
{
    m_file = new TestDatabase;
    m_backup = new QTemporaryDir;
    m_services = new ClinicServices(testStartupValues(*m_file), m_backup->path());
    m_main = new MainWindow(*m_services);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void TestWindowFit::cleanup()
{
    delete m_main;
    delete m_services;
    delete m_backup;
    delete m_file;
}

QWidget *TestWindowFit::open(const QString &menu, const QString &form)
{
    if (QAction *item = m_main->findChild<QAction *>(menu))
        item->trigger();
    return m_main->childWindow(form);
}

void TestWindowFit::fittingFactor_data()
{
    QTest::addColumn<QSize>("room");
    QTest::addColumn<double>("largest");
    QTest::addColumn<double>("factor");
    // The prescription window is 1001 × 661 pixels as designed.
    QTest::newRow("room as designed") << QSize(1001, 661) << 1.6 << 1.0;
    QTest::newRow("height decides") << QSize(1900, 700) << 1.6 << 1.05;
    QTest::newRow("width decides") << QSize(800, 1000) << 1.6 << 0.75;
    QTest::newRow("down to the step below") << QSize(910, 600) << 1.6 << 0.9;
    QTest::newRow("large screen capped") << QSize(2560, 1360) << 1.6 << 1.6;
    QTest::newRow("windows that only shrink") << QSize(1900, 1000) << 1.0 << 1.0;
    QTest::newRow("too small: smallest, then scrolled") << QSize(600, 400) << 1.6 << FormScale::MinimumFactor;
}

void TestWindowFit::fittingFactor()
{
    QFETCH(QSize, room);
    QFETCH(double, largest);
    QFETCH(double, factor);
    QCOMPARE(FormScale::fittingFactor(QSize(1001, 661), room, largest), factor);
}

void TestWindowFit::childWindowFits_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("form");
    for (const Screen &screen : Screens) {
        for (const ChildWindow &window : ChildWindows)
            QTest::addRow("%s %s", screen.name, window.form) << screen.pixels << QString::fromUtf8(window.menu) << QString::fromLatin1(window.form);
    }
}

void TestWindowFit::childWindowFits()
{
    QFETCH(QSize, screen);
    QFETCH(QString, menu);
    QFETCH(QString, form);
    m_main->setMinimumSize(QSize(0, 0));
    m_main->resize(logicalRoom(screen));
    QTRY_COMPARE(m_main->size(), logicalRoom(screen));
    QApplication::processEvents();
    QWidget *window = open(menu, form);
    QVERIFY(window);
    QApplication::processEvents();

    QMdiArea *area = m_main->mdiArea();
    const QRect visible = area->viewport()->rect();
    const QScrollBar *across = area->horizontalScrollBar();
    const QScrollBar *down = area->verticalScrollBar();
    const QRect reachable(-across->value(), -down->value(), visible.width() + across->maximum(), visible.height() + down->maximum());
    const FormScale *scale = FormScale::of(window);
    // A window drawn above its smallest size fits wholly; only a smallest one may need scrolling.
    const bool mayScroll = !scale || qFuzzyCompare(scale->factor(), FormScale::MinimumFactor);
    QStringList faults;
    for (QWidget *control : namedControls(window)) {
        const QRect place(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
        const QString what = form + QLatin1Char('/') + control->objectName();
        if (!reachable.contains(place))
            faults.append(what + QStringLiteral(" cannot be reached"));
        else if (!mayScroll && !visible.contains(place))
            faults.append(what + QStringLiteral(" is out of sight"));
    }
    faults += brokenControls(window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void TestWindowFit::prescriptionWindowFollowsTheMainWindow()
{
    m_main->setMinimumSize(QSize(0, 0));
    m_main->resize(logicalRoom(QSize(2560, 1440)));
    QApplication::processEvents();
    auto *window = m_main->prescriptionWindow();
    const FormScale *scale = FormScale::of(window);
    QVERIFY(scale);
    QTRY_VERIFY(scale->factor() > 1.0);
    const double large = scale->factor();
    const int largeCaption = window->findChild<QLabel *>(u"Label1_0"_qs)->fontInfo().pixelSize();
    // The strip under the sheet grows with the rest, though its entries carry their own colours.
    auto *quiet = window->findChild<QLabel *>(u"safetyWarningsNone"_qs);
    QVERIFY(quiet);
    QVERIFY(quiet->fontInfo().pixelSize() > QFontInfo(QApplication::font()).pixelSize());

    // What was typed and where the priced sheet was scrolled to survive the change of size.
    auto *name = window->findChild<QLineEdit *>(u"Text5_0"_qs);
    commitText(name, u"张三"_qs);
    auto *body = window->findChild<QPlainTextEdit *>(u"R1"_qs);
    body->setFocus();
    commitText(body, u"阿莫西林胶囊"_qs);

    m_main->resize(logicalRoom(QSize(1366, 768)));
    QApplication::processEvents();
    QTRY_VERIFY(scale->factor() < large);
    QCOMPARE(name->text(), u"张三"_qs);
    QCOMPARE(window->sheet().field(PrescriptionSheet::Name), u"张三"_qs);
    QCOMPARE(body->toPlainText(), u"阿莫西林胶囊"_qs);
    // The fonts follow the factor: the form looks the same, only smaller.
    QVERIFY(window->findChild<QLabel *>(u"Label1_0"_qs)->fontInfo().pixelSize() < largeCaption);
    // A kind switched after the change lands where the smaller form has its body box.
    const QRect westernBody = body->geometry();
    window->sheet().setKind(PrescriptionKind::Chinese, SheetGeometry::BodyPlacement::ChineseNarrow);
    QVERIFY(body->parentWidget()->rect().contains(body->geometry()));
    window->sheet().setKind(PrescriptionKind::Western, SheetGeometry::BodyPlacement::Western);
    QCOMPARE(body->geometry(), westernBody);
}

void TestWindowFit::settingsWindowFitsTheScreen()
{
    auto *item = m_main->findChild<QAction *>(u"综合设置(S)"_qs);
    item->trigger();
    QWidget *settings = m_main->settingsWindow();
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    for (const Screen &screen : Screens) {
        const QSize room = logicalRoom(screen.pixels);
        QVERIFY2(settings->width() <= room.width() && settings->height() <= room.height(), screen.name);
    }
    const QStringList faults = brokenControls(settings);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    // The clinic's full name is in sight while it is typed.
    auto *organisation = settings->findChild<QLineEdit *>(u"单位名称"_qs);
    const QString longName = u"某某县某某镇中心卫生院门诊部药房"_qs;
    QCOMPARE(longName.size(), 16);
    QVERIFY(organisation->fontMetrics().horizontalAdvance(longName) <= organisation->contentsRect().width() - 4);
}

void TestWindowFit::loginWindowFitsTheScreen()
{
    LoginWindow login(u"905"_qs);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    const QSize room = logicalRoom(Screens[0].pixels);
    QVERIFY(login.width() <= room.width() && login.height() <= room.height());
    const QStringList faults = brokenControls(&login);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
