#pragma once

#include <QList>
#include <QWidget>

#include "data/wordlistrepository.h"

class QLineEdit;
class QListWidget;

// The twin windows "诊断名称维护" and "添加常用地址": search a word list as the user types, add an
// entry with its initials, delete the entry selected in the (possibly filtered) list. Deleting
// acts on the entry itself, not on a position, so a list another computer changed meanwhile
// never loses the wrong entry.
class WordListWindow : public QWidget
{
    Q_OBJECT

public:
    enum class List { Diagnoses, Addresses };

    WordListWindow(WordListRepository &entries, List list, QWidget *parent = nullptr);

private:
    void refill();
    void nameChanged(const QString &name);
    void add();
    void removeSelected();

    WordListRepository &m_entries;
    QList<WordListRepository::Entry> m_shown;
    QLineEdit *m_search;
    QListWidget *m_list;
    QLineEdit *m_name;
    QLineEdit *m_initials;
};
