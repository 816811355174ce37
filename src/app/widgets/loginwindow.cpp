#include "app/widgets/loginwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "print/units.h"
#include "settings/passwordcheck.h"

namespace {

template<typename W>
W *place(W *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace

LoginWindow::LoginWindow(const QString &storedPassword, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_storedPassword(storedPassword)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(twipsSize(4470, 2625));

    auto *title = place(new QLabel(QStringLiteral("Quillon"), this), 1020, 300, 3000, 360);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPointSize(18);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto *prompt = place(new QLabel(QStringLiteral("请输入登录密码"), this), 300, 1080, 1260, 180);
    prompt->setObjectName(QStringLiteral("promptLabel"));
    prompt->adjustSize();

    auto *hint = place(new QLabel(QStringLiteral("(原始密码：905)"), this), 1620, 1080, 1350, 180);
    hint->setObjectName(QStringLiteral("hintLabel"));
    hint->adjustSize();
    hint->setVisible(showsInitialPasswordHint(storedPassword));

    m_password = place(new QLineEdit(this), 300, 1440, 3915, 315);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    // Enter acts as OK and is consumed by the check.
    connect(m_password, &QLineEdit::returnPressed, this, &LoginWindow::check);

    auto *ok = place(new QPushButton(QStringLiteral("确  定"), this), 1800, 1980, 1155, 375);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &LoginWindow::check);

    auto *cancel = place(new QPushButton(QStringLiteral("取  消"), this), 3060, 1980, 1155, 375);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

void LoginWindow::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    m_password->setFocus();
    QWidget::showEvent(event);
}

void LoginWindow::check()
{
    if (passwordMatches(m_password->text(), m_storedPassword)) {
        m_done = true;
        hide();
        emit loggedIn();
        return;
    }
    QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("密码错误！"));
}

void LoginWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (!m_done)
        emit cancelled();
}
