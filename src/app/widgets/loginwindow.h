#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// The window "登录": one password guards the whole program.
class LoginWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LoginWindow(const QString &storedPassword, QWidget *parent = nullptr);

signals:
    // The password was right; the window hides itself and stays loaded.
    void loggedIn();
    // Cancel or the close box: the program ends, without the exit backup.
    void cancelled();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void check();

    QString m_storedPassword;
    QLineEdit *m_password;
    bool m_done = false;
};
