#pragma once
// The application-wide key observer: every key press and release of any of
// the program's windows is reported, as a Windows virtual-key number, before
// the focused control handles it; the event itself is never consumed.

#include <functional>

#include <QObject>
#include <QTimer>

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

    // How long the release of a held key waits for the press the keyboard's
    // repeat sends right behind it.
    static constexpr int kRepeatPairMs = 30;
    // Reports a release that is still waiting for its pair, at once.
    void Flush();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    std::function<void()> released_;
    // An X server may report a held key as release/press pairs that Qt does
    // not always mark as repeats (the press is not queued yet when Qt looks).
    // The release of Space or an arrow key waits here: a press of the same key
    // within kRepeatPairMs makes both a repeat, so a held Space pans for the
    // whole drag and a held arrow key is one move.
    int pendingRelease_ = 0;
    QTimer pendingTimer_;
};

}  // namespace app
