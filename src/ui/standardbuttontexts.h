#pragma once

#include <QTranslator>

// The Chinese captions of Qt's standard buttons (确定, 取消, 是, 否, 保存 …) and the kinds of entries
// a file dialog lists. Installed as the last resort of translation, so a computer without Qt's own
// Chinese translation (or one whose translation lacks a word) still shows them.
class StandardButtonTexts : public QTranslator
{
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    // The Chinese caption for Qt's English caption of a standard button ("&Yes" → "是(&Y)"),
    // empty when it has none.
    static QString chinese(const QString &english);

    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};
