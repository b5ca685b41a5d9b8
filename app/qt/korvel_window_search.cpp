// The search on a worker thread. The worker runs the controller against a
// snapshot of the fields and touches no widget; the progress and the results
// come back to the interface thread as queued calls.
#include <chrono>

#include <QDateTime>
#include <QValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"

namespace korvel {

namespace {
// The progress is posted at most this often, and whenever a search starts or ends.
constexpr auto progressInterval = std::chrono::milliseconds(50);

// Processor seconds to three figures: "0.0199 s".
QString secondsText(double seconds) { return QString::number(seconds, 'g', 3) + " s"; }
}  // namespace

std::string windowMessage(SnapshotWindow const& done) {
    std::string const message = done.output.value_or("");
    std::string const problem = done.status.value_or("");
    if (message == precisionMessage)
        return "Figures carried (" + std::to_string(done.internalFigures()) + ") must be at least figures shown (" +
               std::to_string(done.externalFigures()) + ")";
    if (message == entryMessage) {
        if (done.input.find_first_not_of(" \t\r\n") == std::string::npos) return "Type a polynomial first";
        if (problem.rfind("a constant has no roots", 0) == 0) return "The polynomial is a constant: it has no roots";
        return "The polynomial cannot be read" + (problem.empty() ? std::string(", or it is constant") : ": " + problem);
    }
    if (message == tooManyFiguresMessage) return "Figures carried can be at most 100000";
    if (message == computationMessage)
        return "The search failed: an iteration did not settle on a root, or a value left the exponent's range; "
               "try more figures carried";
    if (message == outOfMemoryMessage) return "Not enough memory for this search: ask for fewer figures or a lower degree";
    return message;
}

bool KorvelMainWindow::figuresFieldReady(QLineEdit* field, QString const& name) {
    QString text = field->text();
    int at = 0;
    // An empty field gets its default from the search.
    if (text.trimmed().isEmpty() || field->validator()->validate(text, at) == QValidator::Acceptable) return true;
    setStatusText((name + ": a whole number from 1 to 100000, not " + field->text()).toStdString());
    field->setFocus();
    field->selectAll();
    return false;
}

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
    if (!figuresFieldReady(TextFieldSFext, "Figures shown") || !figuresFieldReady(TextFieldSFint, "Figures carried"))
        return;
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
    if (cancelled) {
        setStatusText(cancelledMessage);
    } else if (done.result) {
        resultFields_ = done;
        resultFields_.result.reset();
        resultFields_.output.reset();
        resultDate_ = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
        failedSince_ = false;
        setResult(*done.result);
        TextFieldTime->setText(secondsText(done.result->seconds));
        setStatusText(done.status.value_or(""));
    } else {
        // The last good output and plot stay, marked stale; the message goes
        // to the status line.
        failedSince_ = true;
        TextFieldTime->clear();
        std::string status = windowMessage(done);
        if (result_) status += "\nThe output and the plot are still those of the last search that succeeded.";
        setStatusText(status);
    }
    refreshStale();
    progress_->setVisible(false);
    cancelButton_->setVisible(false);
    cancelButton_->setEnabled(false);
    findButton_->setEnabled(true);
}

}  // namespace korvel
