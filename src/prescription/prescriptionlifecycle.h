#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

class PrescriptionSheet;

// The values a new prescription takes from the settings.
struct SheetDefaults
{
    QString physician;
    QString dispenser;
    QString department;
    QString feeClass;
};

// Starts prescriptions on the sheet: the first one when the window opens, a new one, a renewed
// one for the same patient, a copy under a new id, the fresh one a kind switch begins, and the
// blank one after a deletion. Every one of them gets an id no other prescription has.
class PrescriptionLifecycle
{
public:
    PrescriptionLifecycle(PrescriptionSheet &sheet, std::function<QDateTime()> now,
                          std::function<QString(const QDateTime &)> freshId, std::function<SheetDefaults()> defaults);

    // The header of the first prescription of a session.
    void start();
    // "新建": all fields refilled from the settings, body, card, lines, mark and record emptied; the
    // kind follows the last category button (herbs and formulas Chinese, drug categories Western).
    void newPrescription();
    // "续开": the same patient, header and record; new id, record number and date; empty body, card,
    // lines and fees.
    void renew();
    // "复制处方": the same patient, body and fees under a new id, unsettled, the lines emptied.
    void copy();
    // After the prescription on screen was deleted: a fresh sheet without its medical record.
    void resetAfterDelete();
    // A category button: a button of the other kind starts a fresh prescription of that kind.
    // Returns whether it did.
    bool selectCategory(int category);

private:
    SheetDefaults resetHeader();
    void fillDefaults();
    void freshIdentity();
    void applyKindOfCategory();

    PrescriptionSheet &m_sheet;
    std::function<QDateTime()> m_now;
    std::function<QString(const QDateTime &)> m_freshId;
    std::function<SheetDefaults()> m_defaults;
};
