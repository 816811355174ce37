#pragma once

#include <QUrl>
#include <QWidget>

// The window "关于": product name, version and the links to the program's own pages.
class AboutWindow : public QWidget
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent = nullptr);

signals:
    void linkRequested(const QUrl &url);
};
