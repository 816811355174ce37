#pragma once

class QWidget;

// Closes a working window as its own close button does: inside the main window the frame around
// it closes (and asks the window first, which may refuse); a window without a frame closes itself.
void closeInFrame(QWidget *window);
