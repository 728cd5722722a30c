// The look every window of the program shares.
#pragma once

class QWidget;

// "MS Sans Serif" 8 point; the platform substitutes a font where it is missing.
void ApplyProgramFont(QWidget* window);
// Places the window in the middle of its screen.
void CenterOnScreen(QWidget* window);
