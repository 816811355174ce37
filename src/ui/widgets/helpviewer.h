#pragma once

#include <QWidget>

class QTextBrowser;

// Shows the help pages that ship with the program.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    void open(const QUrl &url);
    QUrl currentUrl() const;

private:
    QTextBrowser *m_browser;
};
