#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The one reader of the tab-separated files the program ships and a clinic may add (pinyin
// tables, safety rules, seed data, radical equivalents). Each file gives its cells its own meaning.
namespace TabSeparated {

struct Line
{
    int number = 0;    // in the file, from 1
    QString text;      // the whole line
    QStringList cells; // the line cut at its tabs
};

// The lines that hold more than blanks, with a leading byte-order mark and the CR of CR LF dropped.
QList<Line> lines(const QString &text);
// A file or resource read as UTF-8; empty when it cannot be read.
QString readText(const QString &path);

} // namespace TabSeparated
