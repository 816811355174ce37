#pragma once

#include <QString>

// One line of a prescription's body as pricing reads it, the part of it the safety check needs.
struct SafetyItem
{
    enum class Kind { Herb, Drug, Charge, Usage };

    QString name;      // as written, notes included: "白芍[炒]", "阿胶{烊化}"
    QString quantity;  // per dose, as written: "6", "1.5", or empty
    QString unit;      // "g", "片", …
    Kind kind = Kind::Herb;

    bool isMedicine() const { return kind == Kind::Herb || kind == Kind::Drug; }
};
