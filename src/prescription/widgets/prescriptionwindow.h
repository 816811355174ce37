#pragma once

#include <memory>

#include <QStringList>
#include <QWidget>

#include "prescription/drugpicklist.h"
#include "prescription/prescriptionsaver.h"
#include "prescription/settlement.h"
#include "print/printerselection.h"
#include "print/widgets/printprompts.h"
#include "print/widgets/printservice.h"

class DrugPickerPanel;
class HistoryPanel;
class PaperView;
class PatientEntry;
class PrescriptionDocument;
class PrescriptionForm;
class PrescriptionSafety;
class SafetyStrip;
class PrescriptionSheet;
class PrescriptionToolbar;
class PricedSheetView;
class QPlainTextEdit;

// The window "处方录入" (Form2), where the physician writes one prescription at a time: the picking
// column and the history at the left, the paper in the middle, the priced sheet, the infusion card
// and the usage buttons at the right. It shows the prescription document and forwards the user's
// actions to it; it stays loaded for the whole run.
class PrescriptionWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PrescriptionWindow(PrescriptionDocument &document, QWidget *parent = nullptr);
    ~PrescriptionWindow() override;

    PrescriptionDocument &document() { return m_document; }
    PrescriptionSheet &sheet();
    SafetyStrip *safetyStrip() const { return m_safetyStrip; }

    // "保存" as the toolbar runs it: a Chinese body is laid out first, then the prescription is
    // saved and the history list refreshed. False when the save did not happen (the user was told
    // why).
    bool saveWithLayout();
    // Runs the history query again ("查   询").
    void refreshHistory();
    // Whether the prescription on screen holds something typed since it was last saved, started
    // or reopened.
    bool hasUnsavedChanges() const;
    // Before the prescription on screen gives way to another (新建, 续开, one reopened from the
    // history, the end of the program): one holding unsaved typing is offered for saving. False
    // when the user stays with it (or its save failed).
    bool mayLeaveCurrent();

    void runToolbarAction(int action);
    // "打印" and "打印输液卡", straight to the printer chosen for the form (or a PDF where there is
    // none); with `preview` the page is shown first. A prescription with red safety warnings is
    // printed by either, and from the preview, only when the physician says so.
    void printPrescription(bool preview = false);
    void printCard(bool preview = false);
    // The printers and the questions printing asks (tests answer them without dialogs).
    void setPrinting(const PrinterSelection &printers, const PrintPrompts &prompts);
    void settle();
    void cancelSettlement();

signals:
    void logRequested();
    void statisticsRequested();
    void medicalRecordRequested();
    // "存为组套": the body to keep as a template of that kind.
    void saveAsTemplateRequested(const QString &kind, const QString &content);
    // Help at a section of the operating help ("" for its start).
    void helpRequested(const QString &section);
    // A note for the status line: what a save stored otherwise than typed.
    void statusMessage(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void buildRightSide();
    void pressCategory(int category);
    void pick(const DrugPickList::Item &item);
    void reopen(qint64 rowId);
    void deleteOnScreen();
    bool reportSave(const PrescriptionSaver::Result &result);
    void showMessages(const Settlement::Result &result);
    void scheduleSafetyCheck();
    // 新建 and 续开: the document's step, then the input focus where typing goes next.
    void startAnother(void (PrescriptionDocument::*start)(), QWidget *focus);
    void checkSafety();
    // Before anything of the prescription is printed: red safety warnings ask the physician (否 by
    // default); printing anyway saves the prescription and keeps the decision with it. False when
    // nothing may be printed.
    bool confirmPrinting();
    // The printed prescription as the sheet and the body box show it now.
    PrescriptionForm prescriptionForm();

    PrescriptionDocument &m_document;
    PrescriptionSheet &m_sheet;
    std::unique_ptr<DrugPickList> m_pickList;
    std::unique_ptr<PatientEntry> m_entry;
    std::unique_ptr<PrescriptionSafety> m_safety;
    SafetyStrip *m_safetyStrip = nullptr;
    bool m_safetyPending = false;
    PrescriptionToolbar *m_toolbar = nullptr;
    DrugPickerPanel *m_picker = nullptr;
    HistoryPanel *m_historyPanel = nullptr;
    PaperView *m_paper = nullptr;
    PricedSheetView *m_priced = nullptr;
    QPlainTextEdit *m_card = nullptr;
    PrintPrompts m_prompts;
    PrintService m_print;
};
