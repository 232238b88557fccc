#include "ui/background.h"

#include <QPushButton>
#include <QThread>

namespace quorvane::ui {

void BackgroundWork::run(std::function<void()> work, std::function<void()> done) {
    wait();
    worker_ = QThread::create(std::move(work));
    QObject::connect(worker_, &QThread::finished, owner_, [done = std::move(done)] { done(); }, Qt::QueuedConnection);
    worker_->start();
}

void BackgroundWork::wait() {
    if (!worker_) return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
}

void showProgressLater(QProgressBar* bar, std::size_t done, std::size_t all) {
    QMetaObject::invokeMethod(bar, [bar, done, all] {
        bar->setRange(0, static_cast<int>(all));
        bar->setValue(static_cast<int>(done));
    }, Qt::QueuedConnection);
}

void showBusyWork(bool busy, QProgressBar* bar, QPushButton* cancel, QPushButton* make) {
    bar->setVisible(busy);
    cancel->setVisible(busy);
    make->setEnabled(!busy);
    if (busy) bar->setRange(0, 0);
}

} // namespace quorvane::ui
