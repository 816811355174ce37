#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "prescription/drugcategories.h"
#include "prescription/drugline.h"
#include "prescription/sheetgeometry.h"

// The prescription on screen: 18 header fields, the kind, the doses, the body, 36 priced lines,
// the id, the settled mark, the medical record and the infusion-card text. The window shows it
// and forwards the user's edits; every rule that keeps it consistent lives here.
class PrescriptionSheet : public QObject
{
    Q_OBJECT

public:
    static constexpr int FieldCount = 18;
    static constexpr int LineCount = 36;

    // The header fields by number; the number is also the archive column that stores the field.
    enum Field {
        Name = 0,
        Sex = 1,
        Age = 2,
        Department = 3,
        Address = 4,
        Date = 5,
        Diagnosis = 6,
        Physician = 7,
        Dispenser = 8,
        DrugFee = 9,
        SecondDate = 10,
        Telephone = 11,
        RecordNumber = 12,
        Allergy = 13,
        FeeClass = 14,
        OtherFee = 15,
        Total = 16,
        Checker = 17,
    };

    explicit PrescriptionSheet(QObject *parent = nullptr);

    // While the sheet is being filled as a whole (load, new prescription, a patient or prescription
    // restored), the header lookups and the body-change hook do nothing. Scopes nest.
    class LoadingScope
    {
    public:
        explicit LoadingScope(PrescriptionSheet &sheet);
        ~LoadingScope();
        LoadingScope(const LoadingScope &) = delete;
        LoadingScope &operator=(const LoadingScope &) = delete;

    private:
        PrescriptionSheet &m_sheet;
    };
    // While pricing, sorting or restoring fill the lines, the totals are not recomputed.
    class FrozenTotals
    {
    public:
        explicit FrozenTotals(PrescriptionSheet &sheet);
        ~FrozenTotals();
        FrozenTotals(const FrozenTotals &) = delete;
        FrozenTotals &operator=(const FrozenTotals &) = delete;

    private:
        PrescriptionSheet &m_sheet;
    };
    bool isLoading() const { return m_loading > 0; }
    bool totalsFrozen() const { return m_frozen > 0; }

    QString field(int field) const { return m_fields.value(field); }
    // Sets a field as typed. Field 1 turns "1" into "男" and "2" into "女"; a change of field 9 or 15
    // (not while loading) sets field 16 to their sum.
    void setField(int field, const QString &text);

    PrescriptionKind kind() const { return m_kind; }
    // The kind and where the body box stands for it.
    void setKind(PrescriptionKind kind, SheetGeometry::BodyPlacement placement);
    SheetGeometry::BodyPlacement bodyPlacement() const { return m_placement; }
    QString doses() const { return m_doses; }
    void setDoses(const QString &doses);

    // Lines separated by CR LF, as stored.
    QString body() const { return m_body; }
    // A change of the body's infusion lines rebuilds the infusion-card text (except while loading);
    // other changes keep the card as it is, typed or not.
    void setBody(const QString &body);
    // A Chinese body laid out three herbs to a line, as it is before it is stored; returns where
    // the caret belongs in it, or -1 for a Western body (left as it is).
    int layOutHerbs();
    QString cardText() const { return m_cardText; }
    void setCardText(const QString &text);

    QString id() const { return m_id; }
    void setId(const QString &id);
    QString settledMark() const { return m_settledMark; }
    void setSettledMark(const QString &mark);
    QString medicalRecord() const { return m_medicalRecord; }
    void setMedicalRecord(const QString &text);
    int currentCategory() const { return m_currentCategory; }
    void setCurrentCategory(int index) { m_currentCategory = index; }

    const QList<DrugLine> &lines() const { return m_lines; }
    DrugLine line(int row) const { return m_lines.value(row); }
    // A typed quantity or unit price recomputes the totals (unless they are frozen).
    void setCell(int row, int cell, const QString &text);
    void setLine(int row, const DrugLine &line);
    // Empties name to drawer of every row; the categories stay until pricing overwrites them.
    void clearLines();
    QString grandTotal() const { return m_grandTotal; }
    void setGrandTotal(const QString &total);

    // Every amount as quantity × unit price ("0.000", empty when zero) and the totals: 药费 the drug
    // lines, 其他 the charge items, 合计 both ("0.00", empty when zero).
    void recomputeTotals();

    // The stored form of the priced lines, and the lines restored from it without recomputing.
    QString pricedSheetText() const;
    void restorePricedSheet(const QString &text);

    // Reorders the filled rows by drawer, then name and the other cells (an empty drawer first);
    // empty rows drop out. The totals stay as they are.
    void sortByDrawer();

signals:
    void fieldChanged(int field);
    void kindChanged();
    void dosesChanged();
    void bodyChanged();
    void cardTextChanged();
    void idChanged();
    void settledMarkChanged();
    void medicalRecordChanged();
    void linesChanged();
    void grandTotalChanged();

private:
    void updateFeeTotal();

    QStringList m_fields;
    PrescriptionKind m_kind = PrescriptionKind::Western;
    SheetGeometry::BodyPlacement m_placement = SheetGeometry::BodyPlacement::Western;
    QString m_doses = QStringLiteral("6");
    QString m_body;
    QString m_cardText;
    QString m_id;
    QString m_settledMark;
    QString m_medicalRecord;
    int m_currentCategory = 0;
    QList<DrugLine> m_lines;
    QString m_grandTotal;
    int m_loading = 0;
    int m_frozen = 0;
};
