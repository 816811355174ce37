#pragma once

#include <QWidget>

// A working window whose real content comes in a later version: it shows its caption and a
// short notice, so every menu item opens something and nothing crashes.
class PlaceholderWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString category READ category WRITE setCategory)

public:
    PlaceholderWindow(const QString &objectName, const QString &caption, const QSize &size, QWidget *parent = nullptr);

    // The template window is opened on one of its kinds ("个人组套", "中药方剂", "病历模板").
    QString category() const { return m_category; }
    void setCategory(const QString &category);

private:
    QString m_category;
    class QLabel *m_notice;
};
