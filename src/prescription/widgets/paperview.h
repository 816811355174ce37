#pragma once

#include <QList>
#include <QWidget>

class PatientEntry;
class PrescriptionSheet;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

// The prescription paper in the middle of the window: the titles, the 18 header fields with their
// captions and underlines, the kind box, "Rp", the body, the doses, and the three pick lists that
// drop down under the name, diagnosis and address fields.
class PaperView : public QWidget
{
    Q_OBJECT

public:
    PaperView(PrescriptionSheet &sheet, PatientEntry &entry, QWidget *parent = nullptr);

    QLineEdit *field(int field) const { return m_fields.value(field); }

    void setOrganisation(const QString &name);
    void hidePickLists();

    // The body's caret and selection in the sheet's positions (CR LF line breaks).
    int bodyCaret() const;
    int bodySelectionStart() const;
    void setBodyCaret(int position);

signals:
    // A click in the body or the search box wants the pick lists hidden; the body of a herbal
    // prescription was double-clicked (the word selection of the double-click is not made).
    void bodyDoubleClicked();
    // Enter in the last header field (过敏史): the drug search comes next.
    void headerCompleted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFields();
    void setReadingOrder();
    void showField(int field);
    void showKind();
    void showBody();
    void showSettledMark();
    void fieldChanged(int field);
    void lookUpPatients();
    void lookUpDiagnoses(bool wholeField);
    void lookUpAddresses(bool asTyped);
    void pickFrom(QListWidget *list);
    void showList(QListWidget *list, const QStringList &texts, const QList<qint64> &rowIds = {});

    PrescriptionSheet &m_sheet;
    PatientEntry &m_entry;
    QList<QLineEdit *> m_fields;
    QList<QWidget *> m_frames;
    QLabel *m_organisation;
    QLabel *m_paperTitle;
    QLabel *m_kind;
    QLabel *m_settled;
    QLabel *m_dosesCaption;
    QLineEdit *m_doses;
    QPlainTextEdit *m_body;
    QListWidget *m_patients;
    QListWidget *m_diagnoses;
    QListWidget *m_addresses;
    bool m_syncing = false;
};
