// The window: the six outlets as widgets, the search on a worker thread with
// progress and Cancel, a plot of the roots, menus and remembered settings.
#pragma once

#include <atomic>
#include <memory>
#include <stop_token>

#include <QMainWindow>

#include "app/korvel.h"
#include "app/snapshot_window.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace korvel {

class RootPlot;

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
    // The polynomial of a text file into the input; the output text, the plot into files.
    bool openPolynomial(QString const& path);
    bool saveOutput(QString const& path) const;

protected:
    void closeEvent(QCloseEvent* event) override;

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
    void showReading();
    void selectRootLine(int k);
    void highlightRootOfCursor();

    QLineEdit* TextFieldSFext;
    QLineEdit* TextFieldSFint;
    QLineEdit* TextFieldTime;
    QPlainTextEdit* TextViewCoeffs;
    QPlainTextEdit* TextViewRoots;
    QLabel* LabelStatus;
    QLabel* readAs_;
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
    QThread* worker_ = nullptr;
    std::atomic<bool> cancel_{false};  // asked to stop: late progress reports are dropped
    std::stop_source stopSource_;      // the running search's stop request
    int searchFigures_ = 0;   // the figures carried by the running search
    int lastFound_ = 0;       // the progress last shown
    bool again_ = false;      // the search runs again
};

}  // namespace korvel
