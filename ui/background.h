#pragma once
// A window's work off the interface thread, one piece at a time: each piece's end is handed back on the
// interface thread, and the window waits for the last one before it goes.

#include <QObject>
#include <QProgressBar>

#include <cstddef>
#include <functional>

class QPushButton;
class QThread;

namespace quorvane::ui {

class BackgroundWork {
  public:
    explicit BackgroundWork(QObject* owner) : owner_(owner) {}
    ~BackgroundWork() { wait(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // After the piece before has ended: work on a thread of its own, then done on the owner's thread.
    void run(std::function<void()> work, std::function<void()> done);
    void wait();

  private:
    QObject* owner_;
    QThread* worker_ = nullptr;
};

// done of all on the bar, from any thread: set on the bar's own thread.
void showProgressLater(QProgressBar* bar, std::size_t done, std::size_t all);

// While work runs: the bar and its Cancel button shown, the button that makes the output disabled, the
// bar busy (no range) until the first piece is done.
void showBusyWork(bool busy, QProgressBar* bar, QPushButton* cancel, QPushButton* make);

} // namespace quorvane::ui
