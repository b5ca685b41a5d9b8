// A batch file in the window: every polynomial's roots, searched on the worker
// thread as korvel-cli --batch searches them, drawn as a density.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"

namespace korvel {

bool KorvelMainWindow::openBatch(QString const& path, QString* why) {
    auto refuse = [&](QString const& reason) {
        if (why) *why = reason;
        return false;
    };
    if (worker_) return refuse("A search is running: cancel it first");
    QString const name = QFileInfo(path).fileName();
    std::int64_t lines = 0;
    {
        std::ifstream in(path.toStdString(), std::ios::binary);
        if (!in) return refuse("Cannot read " + name + ": " + std::strerror(errno));
        // Its lines, for the progress bar.
        char buffer[1 << 16];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
            lines += std::count(buffer, buffer + in.gcount(), '\n');
        if (in.bad()) return refuse("Cannot read " + name + ": a read failed");
    }
    if (!figuresFieldReady(TextFieldSFext, "Figures shown") || !figuresFieldReady(TextFieldSFint, "Figures carried"))
        return refuse("The figures fields hold no whole number from 1 to 100000");
    BatchSettings settings;
    SnapshotWindow fields = snapshot();
    if (char const* refusal = rootOptionsOf(fields, settings.options)) {
        fields.output = refusal;
        return refuse(QString::fromStdString(windowMessage(fields)));
    }
    settings.jobs = int(std::max(1u, std::thread::hardware_concurrency()));

    cancel_ = false;
    findButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    cancelButton_->setVisible(true);
    progress_->setRange(0, int(std::min<std::int64_t>(std::max<std::int64_t>(lines, 1), INT32_MAX)));
    progress_->setValue(0);
    progress_->setFormat("%v of about %m polynomials");
    progress_->setVisible(true);
    setStatusText("");

    stopSource_ = std::stop_source();
    auto roots = std::make_shared<std::vector<std::complex<double>>>();
    worker_ = QThread::create([this, path, settings, roots, stop = stopSource_.get_token()] {
        std::ifstream in(path.toStdString(), std::ios::binary);
        BatchHooks hooks;
        // On the batch's writing thread, one at a time; the window reads
        // roots only once the batch has ended.
        hooks.roots = [roots](std::vector<std::complex<double>> const& r) { roots->insert(roots->end(), r.begin(), r.end()); };
        hooks.tick = [this](BatchProgress const& p) {
            QMetaObject::invokeMethod(
                this, [this, written = p.written] {
                    if (worker_ && !cancel_) progress_->setValue(int(std::min<std::int64_t>(written, progress_->maximum())));
                },
                Qt::QueuedConnection);
        };
        BatchSummary const summary = runBatch(in, settings, hooks, stop);
        QMetaObject::invokeMethod(this, [this, path, summary, roots] { finishBatch(path, summary, roots); },
                                  Qt::QueuedConnection);
    });
    worker_->start();
    return true;
}

void KorvelMainWindow::finishBatch(QString const& path, BatchSummary const& summary,
                                   std::shared_ptr<std::vector<std::complex<double>>> const& roots) {
    worker_->wait();
    worker_->deleteLater();
    worker_ = nullptr;
    progress_->setVisible(false);
    cancelButton_->setVisible(false);
    cancelButton_->setEnabled(false);
    findButton_->setEnabled(true);
    if (summary.stopped) {
        setStatusText(cancelledMessage);
        return;
    }
    // The batch replaces the roots of the last search in both views.
    result_.reset();
    failedSince_ = false;
    stale_ = false;
    plot_->setStale(false);
    plot_->setDensity(roots);
    QString const name = QFileInfo(path).fileName();
    outputHeader_->setText(QString("Batch %1: %2 polynomials, %3 roots").arg(name).arg(summary.searched).arg(roots->size()));
    outputHeader_->setStyleSheet("");
    TextViewRoots->setStyleSheet("");
    TextViewRoots->setPlainText(QString("Batch %1\n%2 polynomials searched, %3 failed\n%4 roots drawn as a density:\n"
                                        "how many fall on each pixel, on a log scale.\n\n"
                                        "korvel-cli --batch writes every root of every line.")
                                    .arg(name)
                                    .arg(summary.searched)
                                    .arg(summary.failed)
                                    .arg(roots->size()));
    TextFieldTime->clear();
    setStatusText(summary.failed > 0 ? "Some lines could not be searched: korvel-cli --batch names each with its reason"
                                     : "");
}

}  // namespace korvel
