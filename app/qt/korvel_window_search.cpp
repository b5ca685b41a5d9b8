// The search on a worker thread. The worker runs the controller against a
// snapshot of the fields and touches no widget; the progress and the results
// come back to the interface thread as queued calls.
#include <chrono>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include "app/qt/korvel_window.h"

namespace korvel {

namespace {
// The progress is posted at most this often, and whenever a search starts or ends.
constexpr auto progressInterval = std::chrono::milliseconds(50);
}  // namespace

SnapshotWindow KorvelMainWindow::snapshot() const {
    SnapshotWindow s;
    s.row = selectedRow();
    s.internal = internalFigures();
    s.external = externalFigures();
    s.input = inputText();
    s.fullPrecision = fullPrecisionSearch();
    s.certify = certifyFigures();
    s.errorBounds = showErrorBounds();
    return s;
}

void KorvelMainWindow::findRoots() {
    if (worker_) return;
    auto done = std::make_shared<SnapshotWindow>(snapshot());
    cancel_ = false;
    lastFound_ = 0;
    again_ = false;
    searchFigures_ = done->internal > 0 ? done->internal : defaultInternalFigures;
    findButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    cancelButton_->setVisible(true);
    progress_->setRange(0, 0);  // busy until the search tells its degree
    progress_->setFormat("Reading the polynomial");
    progress_->setVisible(true);
    setStatusText("");

    stopSource_ = std::stop_source();
    worker_ = QThread::create([this, done, stop = stopSource_.get_token()] {
        auto last = std::chrono::steady_clock::now() - progressInterval;
        int round = 0;
        Korvel controller(*done);
        controller.setStop(stop);
        controller.setProgress([this, &last, &round](int found, int n, int carried) {
            if (carried != round) {
                round = carried;
                QMetaObject::invokeMethod(this, [this, carried] { showRound(carried); }, Qt::QueuedConnection);
            }
            auto const now = std::chrono::steady_clock::now();
            if (found != 0 && found != n && now - last < progressInterval) return;
            last = now;
            QMetaObject::invokeMethod(this, [this, found, n] { showProgress(found, n); }, Qt::QueuedConnection);
        });
        controller.korvel();
        bool const cancelled = controller.cancelled();
        QMetaObject::invokeMethod(this, [this, done, cancelled] { finishSearch(*done, cancelled); },
                                  Qt::QueuedConnection);
    });
    worker_->start();
}

void KorvelMainWindow::cancelSearch() {
    if (!worker_) return;
    cancel_ = true;
    stopSource_.request_stop();
    cancelButton_->setEnabled(false);
    progress_->setFormat("Cancelling");
}

void KorvelMainWindow::showRound(int carried) {
    if (!worker_ || cancel_) return;
    // A round after the first carries more figures because some shown ones
    // were not certain: the search runs again from its first root.
    if (carried != searchFigures_) again_ = true;
    searchFigures_ = carried;
    lastFound_ = 0;
}

void KorvelMainWindow::showProgress(int found, int n) {
    if (!worker_ || cancel_) return;
    // Fewer roots than before: the search runs again (the staged search fell
    // back to the full-precision one, or more figures are carried).
    if (found < lastFound_) again_ = true;
    lastFound_ = found;
    QString const stage = again_ ? ", searching again" : "";
    progress_->setRange(0, n);
    progress_->setValue(found);
    progress_->setFormat(QString("%v of %m roots at %1 figures%2").arg(searchFigures_).arg(stage));
}

void KorvelMainWindow::finishSearch(SnapshotWindow const& done, bool cancelled) {
    worker_->wait();
    worker_->deleteLater();
    worker_ = nullptr;
    if (done.newInternal) setInternalFigures(*done.newInternal);
    if (done.newExternal) setExternalFigures(*done.newExternal);
    if (!cancelled) {
        if (done.output) setOutputText(*done.output);
        if (done.time) setTimeText(*done.time);
        if (done.result) setResult(*done.result);
    }
    if (done.status) setStatusText(*done.status);
    progress_->setVisible(false);
    cancelButton_->setVisible(false);
    cancelButton_->setEnabled(false);
    findButton_->setEnabled(true);
}

}  // namespace korvel
