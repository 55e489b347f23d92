#pragma once
// The application-wide key observer: every key press and release of any of
// the program's windows is reported, as a Windows virtual-key number, before
// the focused control handles it; the event itself is never consumed.

#include <functional>

#include <QObject>

namespace app {

// The virtual-key number of a Qt key; 0 for keys the editor has no number for.
int VirtualKey(int qtKey);

class TKeyObserver : public QObject {
    Q_OBJECT
public:
    // key: virtual-key number; down: press or release; autoRepeat: sent by the
    // keyboard's repeat, not by the user.
    using Handler = std::function<void(int key, bool down, bool autoRepeat)>;
    // Reports to handler; released is called when the program loses the
    // keyboard (its key releases will not be seen).
    TKeyObserver(Handler handler, std::function<void()> released, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    std::function<void()> released_;
};

}  // namespace app
