#include "WindowStyle.h"

#include <QEvent>
#include <QFont>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

void FitIntoOuterSize(QWidget* window, const QSize& outer)
{
    const QWindow* handle = window->windowHandle();
    window->resize(outer.shrunkBy(handle ? handle->frameMargins() : QMargins()));
    CenterOnScreen(window);
}

// Waits for the window's first exposure, corrects its size by its frame then and goes.
class FitOnceMapped : public QObject {
public:
    FitOnceMapped(QWidget* window, const QSize& outer)
        : QObject(window), window_(window), outer_(outer)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QWindow* handle = window_->windowHandle();
        if (watched == window_ && event->type() == QEvent::Show && handle)
            handle->installEventFilter(this);
        if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            handle->removeEventFilter(this);
            window_->removeEventFilter(this);
            FitIntoOuterSize(window_, outer_);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* window_;
    QSize outer_;
};

} // namespace

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

void SetOuterSize(QWidget* window, const QSize& outer)
{
    FitIntoOuterSize(window, outer);
    new FitOnceMapped(window, outer);
}
