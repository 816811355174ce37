#pragma once

#include <compare>
#include <optional>

#include <QString>

// A mass in whole micrograms, read exactly from the decimal text of a dose, so that 3.001 g is
// more than 3 g and 0.03 g is not more than 0.03 g — never through binary floating point.
class MassQuantity
{
public:
    MassQuantity() = default;

    // "6", "1.5", "０.５" with "g"/"克", "mg"/"毫克" or "kg"/"千克". Empty, unreadable or negative
    // quantities and other units ("片", "ml") give nothing. Digits below a microgram round up, so
    // "more than a limit" stays exact for limits in whole micrograms.
    static std::optional<MassQuantity> parse(const QString &quantity, const QString &unit);

    qint64 micrograms() const { return m_micrograms; }

    auto operator<=>(const MassQuantity &) const = default;

private:
    explicit MassQuantity(qint64 micrograms) : m_micrograms(micrograms) {}

    qint64 m_micrograms = 0;
};
