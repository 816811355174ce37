#include "prescription/sheetgeometry.h"

#include <cmath>

#include "prescription/bodytext.h"

namespace {

constexpr int FieldHeight = 315;
constexpr int CaptionCell = 195;

SheetGeometry::HeaderField field(const QString &caption, int left, int top, int width, bool hidden = false)
{
    const int captionWidth = SheetGeometry::captionWidth(caption);
    const int boxLeft = captionWidth + 75;
    const int boxWidth = width - captionWidth - 135;
    return {caption,
            QRect(left, top, width, FieldHeight),
            hidden,
            QPoint(60, 60),
            QRect(boxLeft, 30, boxWidth, 255),
            QLine(boxLeft - 60, 250, boxLeft + boxWidth + 60, 250)};
}

} // namespace

int SheetGeometry::captionWidth(const QString &caption)
{
    return int(caption.size()) * CaptionCell;
}

int SheetGeometry::textWidth(const QString &text, double pointSize)
{
    return int(std::lround(BodyText::displayWidth(text) * pointSize * 10.0));
}

const QList<SheetGeometry::HeaderField> &SheetGeometry::headerFields()
{
    static const QList<HeaderField> fields = {
        field(QStringLiteral("姓名："), 240, 1020, 1755),
        field(QStringLiteral("性别："), 1980, 1020, 975),
        field(QStringLiteral("年龄："), 2940, 1020, 1575),
        field(QStringLiteral("科别："), 4500, 1020, 1515),
        field(QStringLiteral("住址（电话）："), 240, 1320, 3975),
        field(QStringLiteral("日期："), 4200, 1320, 1815),
        field(QStringLiteral("诊断："), 240, 1620, 3975),
        field(QStringLiteral("医师："), 240, 7860, 1815),
        field(QStringLiteral("配药："), 2220, 7860, 1815),
        field(QStringLiteral("药费："), 240, 8160, 1815),
        field(QStringLiteral("日期："), 780, 5580, 1755, true),
        field(QStringLiteral("电话："), 780, 4140, 1755, true),
        field(QStringLiteral("病历号："), 780, 4620, 1755, true),
        field(QStringLiteral("过敏史："), 4200, 1620, 1815),
        field(QStringLiteral("费别："), 780, 5100, 1755, true),
        field(QStringLiteral("其他："), 2220, 8160, 1815),
        field(QStringLiteral("合计："), 4200, 8160, 1815),
        field(QStringLiteral("复核："), 4200, 7860, 1815),
    };
    return fields;
}

SheetGeometry::Label SheetGeometry::organisationTitle(const QString &name)
{
    return {name, QPoint((PaperWidth - textWidth(name, 14.25)) / 2, 120), QStringLiteral("黑体"), 14.25, false};
}

SheetGeometry::Label SheetGeometry::paperTitle()
{
    const QString text = QStringLiteral("处  方  笺");
    return {text, QPoint((PaperWidth - textWidth(text, 14.25)) / 2, 540), QStringLiteral("黑体"), 14.25, false};
}

SheetGeometry::Label SheetGeometry::kindLabel(PrescriptionKind kind)
{
    return {kind == PrescriptionKind::Chinese ? QStringLiteral("中医") : QStringLiteral("普通"), QPoint(5500, 240),
            QStringLiteral("宋体"), 11.25, false};
}

SheetGeometry::Label SheetGeometry::rp()
{
    return {QStringLiteral("Rp"), QPoint(300, 1980), QStringLiteral("宋体"), 18, true};
}

SheetGeometry::Label SheetGeometry::dosesCaption()
{
    return {QStringLiteral("中药剂数："), QPoint(300, 7440), QStringLiteral("宋体"), 12, false};
}

QRect SheetGeometry::dosesBox()
{
    return QRect(1440, 7440, 435, 300);
}

QList<QLine> SheetGeometry::kindBox()
{
    return {QLine(5460, 180, 6000, 180), QLine(6000, 180, 6000, 510), QLine(6000, 510, 5460, 510), QLine(5460, 510, 5460, 180)};
}

QLine SheetGeometry::footerRule()
{
    return QLine(300, 7800, 6000, 7800);
}

QRect SheetGeometry::bodyBox(BodyPlacement placement)
{
    switch (placement) {
    case BodyPlacement::ChineseWide:
        return QRect(660, 2520, 5655, 4875);
    case BodyPlacement::ChineseNarrow:
        return QRect(840, 2520, 5115, 4875);
    case BodyPlacement::Western:
        break;
    }
    return QRect(1380, 2520, 4575, 4875);
}
