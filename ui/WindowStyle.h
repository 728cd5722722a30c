// The look every window of the program shares.
#pragma once

class QSize;
class QWidget;

// "MS Sans Serif" 8 point; the platform substitutes a font where it is missing.
void ApplyProgramFont(QWidget* window);
// Places the window in the middle of its screen.
void CenterOnScreen(QWidget* window);
// Gives the window the outer size, frame and title bar included, centred on its screen. The
// frame is known only once the window is mapped: until then the client area takes the whole
// size, and at the first exposure the size and place are corrected once by the frame, which
// changes nothing under a window manager that gives no frame.
void SetOuterSize(QWidget* window, const QSize& outer);
