#pragma once

#include <QList>
#include <QWidget>

#include "prescription/drugpicklist.h"

class QLineEdit;
class QListView;
class QStringListModel;
class QPushButton;

// The picking column of the prescription window: the 17 category buttons, the search box with its
// phone-style keypad, and the result list. It lists what DrugPickList finds and reports a pick.
class DrugPickerPanel : public QWidget
{
    Q_OBJECT

public:
    DrugPickerPanel(DrugPickList &list, QWidget *parent = nullptr);

    QLineEdit *searchBox() const { return m_search; }
    // The texts the result list shows, in order.
    QStringList resultTexts() const;
    int currentCategory() const { return m_category; }
    // Shows a category as pressed and lists it for an empty search text (without telling anyone).
    void showCategory(int category);
    // Lists the current category for the search text again.
    void refill();
    // After a pick: empty search text, focus in the search box, no selection.
    void resetSearch();

signals:
    // A category button was pressed; the window switches the kind, then the panel lists it.
    void categoryPressed(int category);
    void picked(const DrugPickList::Item &item);
    // The search box got the focus: the header pick lists hide.
    void searchFocused();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pickCurrent();

    DrugPickList &m_list;
    QList<QPushButton *> m_buttons;
    QLineEdit *m_search;
    QListView *m_results;
    QStringListModel *m_model;
    QList<DrugPickList::Item> m_items;
    int m_category = 0;
};
