#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "data/templaterepository.h"
#include "print/printerselection.h"
#include "print/widgets/printprompts.h"
#include "print/widgets/printservice.h"
#include "records/medicalrecordform.h"

class ClinicSettings;
class PrescriptionDocument;
class PrescriptionSheet;
class QLabel;
class QLineEdit;
class QListWidget;
class QTextEdit;

// The window "门诊病历" (Form14): the outpatient record of the prescription document on screen,
// in nine sections filled by typing, by record templates and by quoting the prescription
// body; it saves the record with the prescription and prints it on ruled paper. The sections go
// back into the prescription as they are edited, so whatever saves the prescription next (this
// window, the toolbar, a settlement) stores them.
class MedicalRecordWindow : public QWidget
{
    Q_OBJECT

public:
    // Without a prescription the record is empty and can be neither kept nor saved.
    MedicalRecordWindow(PrescriptionDocument *prescription, TemplateRepository &templates, ClinicSettings &settings,
                        QWidget *parent = nullptr);
    ~MedicalRecordWindow() override;

    // The nine section texts as stored (lines ended by CR LF).
    QStringList sections() const;
    // The section that last had the input focus; templates go there.
    int currentSection() const { return m_current; }

    // The printers and the questions printing asks (tests answer them without dialogs).
    void setPrinting(const PrinterSelection &printers, const PrintPrompts &prompts);
    // The printout of the record as the window shows it now.
    MedicalRecordForm form() const;
    // "打印病历": warns first about sections longer than their printed lines; with `preview` the
    // pages are shown instead.
    void printRecord(bool preview = false);
    // "保  存": the record into the prescription, then the prescription saved as its toolbar
    // saves it. False when nothing was stored (the user was told why).
    bool save();
    // "引用处方": every non-empty line of the body as its box shows it, each after a line break,
    // at the caret of the treatment section.
    void quotePrescription();

signals:
    // "编辑病历模板": this window has closed; template maintenance should open on record templates.
    void editTemplatesRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildSections();
    QWidget *buildSideColumn();
    void load();
    void fillTemplates();
    void insertTemplate(int row);
    void insertIntoSection(int section, const QString &storedText);
    void writeBack();
    PrescriptionSheet *sheet() const;

    QPointer<PrescriptionDocument> m_prescription;
    TemplateRepository &m_templates;
    ClinicSettings &m_settings;
    PrintPrompts m_prompts;
    PrintService m_print;
    MedicalRecordForm::Header m_header;
    QList<TemplateRepository::Template> m_shownTemplates;
    int m_current = 0;
    // Set while the record is put into the boxes, and once the window has closed: the boxes then
    // no longer speak for the prescription's record.
    bool m_detached = true;
    // What opening made of a prescription without a record (empty sections, its diagnosis): as
    // long as the sections hold just that, the prescription keeps its empty record, so looking at
    // the record does not leave the prescription with changes to save.
    QString m_derivedRecord;

    QList<QLabel *> m_headerLabels;
    QList<QTextEdit *> m_sections;
    QLabel *m_patient = nullptr;
    QLineEdit *m_search = nullptr;
    QListWidget *m_list = nullptr;
};
