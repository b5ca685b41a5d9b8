// The window's outlets, the Read as line, and the root shared by the output
// text and the plot.
#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextBlock>

#include "app/output.h"
#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"
#include <korvel/input.h>

namespace korvel {

void KorvelMainWindow::showReading() {
    std::string const text = inputText();
    int n = 0;
    std::vector<fpComplex> coefficients;
    std::string ignored, problem;
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        readAs_->clear();
    } else if (!readPolynomial(text, n, coefficients, ignored, problem)) {
        readAs_->setText("Read as: not a polynomial Korvel can read" +
                         (problem.empty() ? QString() : " (" + QString::fromStdString(problem) + ")"));
    } else {
        QString line = QString::fromStdString(polynomialAsRead(coefficients));
        // A long polynomial keeps its head and its degree.
        if (line.size() > 400) line = line.left(300) + " … " + line.mid(line.lastIndexOf(" (degree"));
        readAs_->setText("Read as: " + line + (ignored.empty() ? "" : "  (passed over: " + QString::fromStdString(ignored) + ")"));
    }
}

void KorvelMainWindow::selectRootLine(int k) {
    if (!result_) return;
    QTextBlock const block = TextViewRoots->document()->findBlockByNumber(lineOfRoot(*result_, k));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    TextViewRoots->setTextCursor(cursor);
    TextViewRoots->ensureCursorVisible();
}

void KorvelMainWindow::highlightRootOfCursor() {
    plot_->setHighlighted(result_ ? rootOfLine(*result_, TextViewRoots->textCursor().blockNumber()) : -1);
}

int KorvelMainWindow::selectedRow() const { return myRadio->checkedId(); }
int KorvelMainWindow::internalFigures() const { return fieldInteger(TextFieldSFint->text().toStdString()); }
void KorvelMainWindow::setInternalFigures(int figures) { TextFieldSFint->setText(QString::number(figures)); }
int KorvelMainWindow::externalFigures() const { return fieldInteger(TextFieldSFext->text().toStdString()); }
void KorvelMainWindow::setExternalFigures(int figures) { TextFieldSFext->setText(QString::number(figures)); }
std::string KorvelMainWindow::inputText() const { return TextViewCoeffs->toPlainText().toStdString(); }
void KorvelMainWindow::setOutputText(std::string const& text) { TextViewRoots->setPlainText(QString::fromStdString(text)); }
void KorvelMainWindow::setTimeText(std::string const& text) { TextFieldTime->setText(QString::fromStdString(text)); }
void KorvelMainWindow::setStatusText(std::string const& text) {
    LabelStatus->setText(QString::fromStdString(text));
    fitStatus();
}

void KorvelMainWindow::fitStatus() {
    // heightForWidth is -1 for an empty label.
    LabelStatus->setMinimumHeight(std::max(0, LabelStatus->heightForWidth(statusArea_->viewport()->width())));
    statusArea_->setWidgetResizable(true);  // lays the label out again and sets the scroll bars
}

bool KorvelMainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The status area's width changed: the label wraps to another height.
    if (watched == statusArea_->viewport() && event->type() == QEvent::Resize) fitStatus();
    return QMainWindow::eventFilter(watched, event);
}
bool KorvelMainWindow::fullPrecisionSearch() const { return searchChoice->checkedId() == 1; }
bool KorvelMainWindow::certifyFigures() const { return certifyBox_->isChecked(); }
bool KorvelMainWindow::showErrorBounds() const { return boundsBox_->isChecked(); }
void KorvelMainWindow::setResult(SearchResult const& result) {
    result_ = std::make_shared<SearchResult const>(result);
    plot_->setResult(result_);
    showOutput();
}

void KorvelMainWindow::showOutput() {
    if (!result_) return;
    TextViewRoots->setPlainText(QString::fromStdString(markedRootsText(*result_, showErrorBounds())));
    refreshStale();
}

void KorvelMainWindow::refreshStale() {
    if (!result_) {
        outputHeader_->clear();
        return;
    }
    SnapshotWindow const& f = resultFields_;
    bool const changed = inputText() != f.input || internalFigures() != f.internalFigures() ||
                         externalFigures() != f.externalFigures() || selectedRow() != f.row ||
                         fullPrecisionSearch() != f.fullPrecision || certifyFigures() != f.certify;
    stale_ = failedSince_ || changed;
    // Three short lines: the polynomial's head and degree, the settings, the
    // date; the whole header, as saved, in the tooltip.
    QString const whole = QString::fromStdString(outputHeader(*result_, resultDate_.toStdString()));
    QStringList lines = whole.split('\n');
    if (lines[0].size() > 80) lines[0] = lines[0].left(64) + " … " + lines[0].mid(lines[0].lastIndexOf(" (degree"));
    RootOptions const& o = result_->options;
    lines[1] = QString("%1 shown, %2 carried").arg(o.shownFigures).arg(o.carriedFigures) +
               (result_->carriedUsed > o.carriedFigures ? QString(" (%1 used)").arg(result_->carriedUsed) : QString()) +
               (o.search == RootSearch::fullPrecision ? " · full precision" : " · staged") +
               (o.certify ? " · certified" : " · not certified") + (o.cleanUp ? " · cleaned up" : " · as found");
    QString header = lines.mid(0, 3).join('\n');
    if (stale_)
        header = "Stale: " + header +
                 (failedSince_ ? " · the last search failed" : " · the polynomial or the settings changed since");
    outputHeader_->setText(header);
    outputHeader_->setToolTip(whole.trimmed());
    outputHeader_->setStyleSheet(stale_ ? "color: #b05000" : "");
    TextViewRoots->setStyleSheet(stale_ ? "color: gray" : "");
    plot_->setStale(stale_);
}

QString KorvelMainWindow::headedOutput() const {
    if (!result_) return TextViewRoots->toPlainText();
    return QString::fromStdString(outputHeader(*result_, resultDate_.toStdString())) +
           (stale_ ? "Stale: the polynomial or the settings in the window have changed since.\n" : "") + "\n" +
           TextViewRoots->toPlainText();
}

QString KorvelMainWindow::copyText() const {
    QString const selected = TextViewRoots->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n');
    return selected.isEmpty() ? headedOutput() : selected;
}

}  // namespace korvel
