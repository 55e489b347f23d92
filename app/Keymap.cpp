#include "app/Keymap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace app {

int VirtualKey(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
        qtKey == Qt::Key_Space)
        return qtKey;  // Qt numbers letters, digits and Space as Windows does
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        default:
            return 0;
    }
}

TKeyObserver::TKeyObserver(Handler handler, std::function<void()> released, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), released_(std::move(released)) {
    pendingTimer_.setSingleShot(true);
    pendingTimer_.setInterval(kRepeatPairMs);
    connect(&pendingTimer_, &QTimer::timeout, this, &TKeyObserver::Flush);
}

void TKeyObserver::Flush() {
    pendingTimer_.stop();
    const int key = pendingRelease_;
    pendingRelease_ = 0;
    if (key != 0 && handler_) handler_(key, false, false);
}

namespace {

// Keys whose repeat the editor follows: Space holds the pan, arrows move.
bool WaitsForRepeat(int vk) {
    return vk == 32 || (vk >= 37 && vk <= 40);
}

}  // namespace

bool TKeyObserver::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        Flush();
        if (released_) released_();
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        // A button after a real release of Space must not reach the pan.
        if (pendingRelease_ != 0) Flush();
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        // An unhandled key event travels up from the focused widget to its
        // parents, and the application's filter sees every step: count it once,
        // where it starts.
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        const bool first = widget && (widget == focus || (!focus && widget->isWindow()));
        if (first) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int vk = VirtualKey(key->key());
            const bool press = type == QEvent::KeyPress;
            if (vk != 0 && pendingRelease_ != 0) {
                if (press && vk == pendingRelease_) {
                    // The pair of a held key: neither half was the user's.
                    pendingTimer_.stop();
                    pendingRelease_ = 0;
                    if (handler_) handler_(vk, true, true);
                    return false;
                }
                Flush();
            }
            if (vk != 0 && !press && !key->isAutoRepeat() && WaitsForRepeat(vk)) {
                pendingRelease_ = vk;
                pendingTimer_.start();
                return false;
            }
            if (vk != 0 && handler_) handler_(vk, press, key->isAutoRepeat());
        }
    }
    return false;
}

}  // namespace app
