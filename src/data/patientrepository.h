#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "data/rowcache.h"
#include "data/writeresult.h"

class Database;

// The patient register 患者信息: one row per patient, keyed by the PatientKey (the name, its
// initials and the birth year run together), added or updated by every save of a prescription.
class PatientRepository
{
public:
    struct Patient
    {
        QString key; // 序号
        QString name;
        QString sex;
        QString birthYear; // 年龄 holds the birth year, not the age
        QString medicalCard;
        QString telephone;
        QString address;
        QString feeClass;
        QString diagnosis;
        QString allergy;
    };
    struct Match
    {
        qint64 rowId = 0;
        QString name;
        QString birthYear;
    };

    explicit PatientRepository(Database &db);

    // Starts reading the list on a worker thread, so the first keystroke finds it ready.
    void preload() { m_cache.preload(); }
    // How many times the list was read whole, for measuring.
    int wholeLoads() const { return m_cache.wholeLoads(); }

    // The patients whose key holds the typed text, or whose name reads as the typed initials, in
    // stored order.
    QList<Match> find(const QString &typed);
    // The patient the user picked from a list, by row identity.
    std::optional<Patient> byRowId(qint64 rowId);
    std::optional<Patient> byKey(const QString &key);
    // Adds the patient or rewrites the row of the same key.
    WriteResult save(const Patient &patient);

private:
    Database &m_db;
    RowCache m_cache;
};
