#pragma once

#include <QHash>
#include <QList>
#include <QWidget>

#include "data/templaterepository.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

// The window "个人组套/中药方剂/病历模板维护": lists the templates of one kind by name and edits
// one at a time. Every action works on the template the editor holds, known by its key, so a
// list gone stale because another computer changed the table never picks the wrong one.
class TemplateWindow : public QWidget
{
    Q_OBJECT
    // The kind shown ("个人组套", "中药方剂" or "病历模板").
    Q_PROPERTY(QString category READ kind WRITE setKind)

public:
    explicit TemplateWindow(TemplateRepository &templates, QWidget *parent = nullptr);

    QString kind() const { return m_kind; }
    // Switches to a kind as its option button does: the names of that kind and an empty editor.
    void setKind(const QString &kind);
    // Starts a new template of a kind with the content already filled in (the prescription body
    // saved as a set or formula), so the user only names it and saves.
    void openOn(const QString &kind, const QString &content = QString());
    // Whether the editor holds input that is not stored.
    bool isModified() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Snapshot
    {
        QString name;
        QString initials;
        QString content;
        QString order;
        bool operator==(const Snapshot &) const = default;
    };

    void switchKind(const QString &kind);
    void reloadList();
    void selectRow(int row);
    void newTemplate();
    void save();
    void remove();
    void nameChanged(const QString &name);
    void showKeyInList();
    Snapshot current() const;
    void markClean();

    TemplateRepository &m_templates;
    QString m_kind;
    // The key of the template in the editor; stored once it was loaded or saved.
    QString m_key;
    bool m_stored = false;
    // Set while a template is put into the boxes, so its stored initials are not recomputed.
    bool m_loading = false;
    Snapshot m_clean;
    QList<TemplateRepository::Template> m_shown;

    QListWidget *m_list;
    QLineEdit *m_name;
    QLineEdit *m_order;
    QLineEdit *m_initials;
    QPlainTextEdit *m_content;
    QGroupBox *m_kindFrame;
    QHash<QString, QRadioButton *> m_options;
};
