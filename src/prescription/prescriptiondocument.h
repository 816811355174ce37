#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "data/writeresult.h"
#include "prescription/prescriptionform.h"
#include "prescription/prescriptionsaver.h"
#include "prescription/prescriptionservices.h"
#include "prescription/settlement.h"

class PrescriptionHistory;
class PrescriptionLifecycle;
class PrescriptionPricer;
class PrescriptionSheet;

// The prescription on screen as a document: its sheet, the steps that put another prescription
// on it (新建, 续开, 复制处方, a kind switch, reopening, deleting), its save and settlement, the id
// it was last stored under and whether it holds changes since. The prescription window and the
// medical-record window both work on it; neither knows the other.
//
// The infusion card follows the body's infusion lines: a card typed by hand is kept until those
// lines change, whatever changes the body (typing, a pick, laying out herbs, a settlement).
class PrescriptionDocument : public QObject
{
    Q_OBJECT

public:
    explicit PrescriptionDocument(const PrescriptionServices &services, QObject *parent = nullptr);
    ~PrescriptionDocument() override;

    PrescriptionSheet &sheet() { return *m_sheet; }
    const PrescriptionSheet &sheet() const { return *m_sheet; }
    const PrescriptionServices &services() const { return m_services; }
    PrescriptionHistory &history() { return *m_history; }

    // The first prescription of the session.
    void start();
    // "新建", "续开", "复制处方" and a category button of the other kind (true when it started a
    // fresh prescription); see PrescriptionLifecycle.
    void newPrescription();
    void renew();
    void copy();
    bool selectCategory(int category);
    // An archived prescription on the sheet exactly as saved; false when it is no longer there.
    bool reopen(qint64 rowId);
    // Deletes the prescription on screen and its settlement lines, then starts a blank one.
    WriteResult remove();

    // "保存": a Chinese body laid out first, then stored.
    PrescriptionSaver::Result save();
    // "划价结算" and "撤消结算".
    Settlement::Result settle();
    Settlement::Result cancelSettlement();

    // Keeps a line with the stored prescription saying it was printed despite red safety warnings
    // (see PrintDecision); refused when the sheet is not the one stored under its id.
    WriteResult keepPrintOverride(const QString &entry);

    // Whether the sheet holds something changed since it was last saved, started or reopened.
    bool isModified() const;
    // Whether a patient name or a body was typed: only then is a change worth keeping.
    bool holdsTyping() const;
    // The id the prescription was last stored or reopened under.
    QString savedId() const { return m_savedId; }
    // Whether the sheet is the one stored under that id.
    bool isStored() const;

    // The body's lines as its box on the paper shows them (a wrapped paragraph is several lines).
    QStringList bodyDisplayLines() const;
    // The printed prescription with the settings in force.
    PrescriptionForm form() const;

signals:
    void modifiedChanged(bool modified);
    // Another prescription is about to take the sheet: what belongs to this one closes.
    void replacing();
    // A save or settlement ran (stored or not): lists of what is stored follow.
    void saveAttempted();

private:
    QStringList snapshot() const;
    void markSaved();
    void markStored();
    void updateModified();
    void afterSave(bool saved, bool storedUnderItsId);
    template<typename Step>
    void replaceWith(Step step);

    PrescriptionServices m_services;
    std::unique_ptr<PrescriptionSheet> m_sheet;
    std::unique_ptr<PrescriptionLifecycle> m_lifecycle;
    std::unique_ptr<PrescriptionPricer> m_pricer;
    std::unique_ptr<PrescriptionSaver> m_saver;
    std::unique_ptr<Settlement> m_settlement;
    std::unique_ptr<PrescriptionHistory> m_history;
    QString m_savedId;
    // The sheet as it was last saved, started or reopened.
    QStringList m_snapshot;
    bool m_modified = false;
};
