#pragma once

class QString;
class QWidget;

// Tells the user why something was not stored, in a message box titled "提示": as information when
// the user can put it right at once (a missing name), as a warning when the computer refused.
void showRefusal(QWidget *parent, const QString &message, bool notice);
