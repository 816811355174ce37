#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "data/cataloguerepository.h"
#include "maintenance/catalogueeditorrules.h"
#include "maintenance/catalogueoptions.h"
#include "maintenance/cataloguetransfer.h"

class FileChooser;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RowGrid;

// The window "药物维护" (Form3): the clinic keeps its catalogue here. A grid of 19 rows lists the
// entries of one category as the user types, the editor strip below changes one entry at a time,
// and the buttons export a category to a spreadsheet, import one and clear a category.
class CatalogueWindow : public QWidget
{
    Q_OBJECT

public:
    CatalogueWindow(CatalogueRepository &catalogue, FileChooser &files, QWidget *parent = nullptr);

    // Loads the result shown in a grid row (0 to 18) into the editor.
    void xz(int row);

    // What every list of the window searches: the categories that begin with this.
    QString categoryPrefix() const { return m_prefix; }
    // The key of the entry the editor stands for; empty while it holds a new entry.
    QString currentKey() const { return m_key; }
    const QList<CatalogueRepository::Entry> &results() const { return m_results; }
    RowGrid *grid() const { return m_grid; }

signals:
    // The help button asks for the catalogue's section of the program's help.
    void linkRequested(const QUrl &url);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildSearchRow();
    void buildEditor();
    void buildSymbols();
    void buildButtons();

    void search();
    void searchTyped();
    void newEntry();
    void save();
    void remove();
    void chooseOption(CatalogueOptions::Option option);
    void applyOption(CatalogueOptions::Option option);
    void filterChosen();
    void exportCategory();
    void importFile();
    void clearCategory();
    // A box that lost the focus to something outside this window, with its caret and selection.
    struct LeftBox
    {
        QPointer<QLineEdit> box;
        int caret = 0;
        int selectionStart = -1;
        int selectionLength = 0;
    };
    void restoreCaret(const LeftBox &left);
    void insertSymbol(const QString &symbol);

    void nameChanged();
    void amountChanged(QLineEdit *box);
    void unitChanged(const QString &unit);
    void emptyEditor();
    CatalogueEditorRules::Fields fields() const;
    void showFields(const CatalogueEditorRules::Fields &fields);
    void tell(const QString &message);
    // A progress callback backed by a dialog that appears when the work takes a while.
    template<typename Work>
    CatalogueTransfer::Result withProgress(const QString &label, Work work);

    CatalogueRepository &m_catalogue;
    FileChooser &m_files;
    CatalogueTransfer m_transfer;

    QLineEdit *m_search = nullptr;
    QList<QRadioButton *> m_options;
    QComboBox *m_filter = nullptr;
    RowGrid *m_grid = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_quantity = nullptr;
    QComboBox *m_unit = nullptr;
    QLineEdit *m_price = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_usage = nullptr;
    QLineEdit *m_initials = nullptr;
    QComboBox *m_category = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_delete = nullptr;
    QList<QLineEdit *> m_boxes;

    CatalogueOptions::Option m_option = CatalogueOptions::Western;
    QString m_prefix;
    QString m_key;
    QList<CatalogueRepository::Entry> m_results;
    // The whole category as last listed, and its grid rows.
    QList<CatalogueRepository::Entry> m_wholeList;
    QList<QStringList> m_wholeRows;
    int m_selectedRow = -1;
    QPointer<QLineEdit> m_lastBox;
    LeftBox m_leftBox;
    // Set while a category switch rearranges the editor or a selection fills it: the herb-unit
    // check keeps quiet then.
    bool m_busy = false;
};
