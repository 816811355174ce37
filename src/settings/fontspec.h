#pragma once

#include <QString>

// A printing font as the settings name it. An empty name or a size of 0 leaves the form's own
// font or size in place.
struct FontSpec
{
    QString name;
    double pointSize = 0;

    // The name trimmed; the size read for the number it begins with, 0 when it is not a positive
    // number.
    static FontSpec fromTexts(const QString &name, const QString &pointSize);

    QString nameOr(const QString &formFont) const { return name.isEmpty() ? formFont : name; }
    double pointSizeOr(double formSize) const { return pointSize > 0 ? pointSize : formSize; }
};
