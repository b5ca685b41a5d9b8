// The window: the six outlets as widgets, the search on a worker thread with
// progress and Cancel, a plot of the roots, menus and remembered settings.
#pragma once

#include <atomic>
#include <memory>
#include <stop_token>

#include <QMainWindow>

#include "app/batch.h"
#include "app/korvel.h"
#include "app/snapshot_window.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPlainTextEdit;
class QProgressBar;
class QScrollArea;
class QPushButton;
class QThread;
class QTimer;

namespace korvel {

class RootPlot;

// Asks the width and height of a saved plot, size first; empty when cancelled.
QSize askPlotSize(QWidget* parent, QSize size);

// A failed search's message (done.output) in the window's words: the fields by
// their labels.
std::string windowMessage(SnapshotWindow const& done);

class KorvelMainWindow : public QMainWindow, public KorvelWindow {
public:
    explicit KorvelMainWindow(QWidget* parent = nullptr);
    ~KorvelMainWindow() override;

    int selectedRow() const override;
    int internalFigures() const override;
    void setInternalFigures(int figures) override;
    int externalFigures() const override;
    void setExternalFigures(int figures) override;
    std::string inputText() const override;
    void setOutputText(std::string const& text) override;
    void setTimeText(std::string const& text) override;
    void setStatusText(std::string const& text) override;
    bool fullPrecisionSearch() const override;
    bool certifyFigures() const override;
    bool showErrorBounds() const override;
    void setResult(SearchResult const& result) override;

    QPushButton* findButton() const { return findButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QProgressBar* progressBar() const { return progress_; }
    RootPlot* plot() const { return plot_; }
    // True from Find roots until the search's results are in the window.
    bool searching() const { return worker_ != nullptr; }

    // Starts a search of the fields' polynomial on a worker thread.
    void findRoots();
    // Asks the running search to stop; the output stays as it was.
    void cancelSearch();
    // The remembered settings: written on closing, read when the window is made.
    void saveSettings() const;
    void restoreSettings();
    // The polynomial of a text file into the input, as one undoable edit; a
    // file that cannot be read or is not text is refused, why says why.
    bool openPolynomial(QString const& path, QString* why = nullptr);
    // The roots of every polynomial in a batch file (one a line, x-notation or
    // JSON coefficients, as korvel-cli --batch reads them), searched on the
    // worker thread with progress and Cancel at the fields' settings, drawn
    // in the plot's place as a density; false with the reason in why when
    // the file cannot be read or a search is running.
    bool openBatch(QString const& path, QString* why = nullptr);
    // The output with its header and warning into a text file, or the search
    // as JSON when the name ends in .json; false with the system's reason in
    // why when it cannot be written.
    bool saveOutput(QString const& path, QString* why = nullptr) const;
    // The About box, not yet shown: version, licence, Qt's version and "About Qt".
    QMessageBox* aboutBox();
    // What Copy puts on the clipboard: the selection, or the whole output with its header.
    QString copyText() const;
    // True when the output and the plot are not for the fields as they are now.
    bool outputStale() const { return stale_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pieces of the window, made in this order.
    QLayout* makePrecisionFields();
    QWidget* makeChoices();
    QWidget* makeInputPane();
    QWidget* makeOutputPane();
    QWidget* makeStatusRow();
    void makeMenus();
    void connectActions();
    void setTabOrder();

    SnapshotWindow snapshot() const;
    void showRound(int carried);
    void showProgress(int found, int n);
    void finishSearch(SnapshotWindow const& done, bool cancelled);
    void finishBatch(QString const& path, BatchSummary const& summary,
                     std::shared_ptr<std::vector<std::complex<double>>> const& roots);
    void showReading();
    void selectRootLine(int k);
    void highlightRootOfCursor();
    // Marks the output and the plot stale when the fields no longer match the
    // search they show (or that search was followed by a failed one).
    void refreshStale();
    void showOutput();
    // The output after its header (polynomial, settings, date, warning).
    QString headedOutput() const;
    // The status label as tall as its wrapped text, so that its area scrolls.
    void fitStatus();
    // A figures field's value for the search; false with the reason on the
    // status line when the field holds something other than 1 to 100000.
    bool figuresFieldReady(QLineEdit* field, QString const& name);

    QLineEdit* TextFieldSFext;
    QLineEdit* TextFieldSFint;
    QLabel* TextFieldTime;
    QPlainTextEdit* TextViewCoeffs;
    QPlainTextEdit* TextViewRoots;
    QLabel* LabelStatus;
    QLabel* readAs_;
    QLabel* outputHeader_;
    QScrollArea* statusArea_;
    QButtonGroup* myRadio;
    QButtonGroup* searchChoice;  // 0 = staged, 1 = full precision
    QCheckBox* certifyBox_;
    QCheckBox* boundsBox_;
    QPushButton* findButton_;
    QPushButton* cancelButton_;
    QPushButton* copyButton_;
    QProgressBar* progress_;
    RootPlot* plot_;
    QTimer* readTimer_;

    std::shared_ptr<SearchResult const> result_;  // the roots the output and the plot show
    SnapshotWindow resultFields_;  // the fields that gave result_
    QString resultDate_;           // when result_ was found
    bool failedSince_ = false;     // a search failed after result_
    bool stale_ = false;
    QThread* worker_ = nullptr;
    std::atomic<bool> cancel_{false};  // asked to stop: late progress reports are dropped
    std::stop_source stopSource_;      // the running search's stop request
    int searchFigures_ = 0;   // the figures carried by the running search
    int lastFound_ = 0;       // the progress last shown
    bool again_ = false;      // the search runs again
};

}  // namespace korvel
