#include "WindowStyle.h"

#include <QFont>
#include <QScreen>
#include <QWidget>

void ApplyProgramFont(QWidget* window)
{
    window->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

void CenterOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
