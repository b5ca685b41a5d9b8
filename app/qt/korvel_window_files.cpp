// The menus, the files the window reads and writes, and the remembered settings.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QAbstractButton>
#include <QSettings>

#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"

namespace korvel {

namespace {

QSettings settingsStore() { return QSettings(QSettings::IniFormat, QSettings::UserScope, "Korvel", "korvel"); }

char const* const inputForms = R"(<p><b>x-notation</b>: terms such as <code>3x^2</code>, <code>-x</code>,
<code>(1,2)x^5</code> and numbers, in any order: <code>3x^2-x+(1,2)</code>.</p>
<p><b>One coefficient per line</b>, from the highest power down to the constant term:
<code>3</code>, <code>-1</code>, <code>(1,2)</code> on three lines is the same polynomial.</p>
<p>A coefficient is a number (<code>-2.5e-3</code>), a fraction (<code>1/3</code>) or a complex pair
<code>(a,b)</code> for a + bi, whose parts may be fractions too. In x-notation a minus before a pair
belongs to its real part only: <code>x^2-(0,1)</code> is x<sup>2</sup> + i.</p>
<p>The line under the input shows the polynomial as it was read.</p>
<p><b>Keys</b>: Ctrl+Return finds the roots, Escape cancels a search, Ctrl+O opens a polynomial,
Ctrl+S saves the output, Ctrl+Shift+S saves the plot. In the plot: the wheel zooms about the pointer,
dragging pans, a double click fits the roots again; a click on a root selects its line in the output.</p>)";

}  // namespace

void KorvelMainWindow::makeMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open polynomial…", QKeySequence::Open, this, [this] {
        QString const path = QFileDialog::getOpenFileName(this, "Open polynomial", {}, "Text (*.txt);;All files (*)");
        if (!path.isEmpty() && !openPolynomial(path)) QMessageBox::warning(this, "Korvel", "Cannot read " + path);
    });
    open->setToolTip("Read a polynomial, in either form, from a text file");
    file->addAction("&Save output…", QKeySequence::Save, this, [this] {
        QString const path = QFileDialog::getSaveFileName(this, "Save output", "roots.txt", "Text (*.txt)");
        if (!path.isEmpty() && !saveOutput(path)) QMessageBox::warning(this, "Korvel", "Cannot write " + path);
    });
    file->addAction("Save &plot…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, [this] {
        QString const path = QFileDialog::getSaveFileName(this, "Save plot", "roots.png",
                                                          "PNG image (*.png);;SVG drawing (*.svg)");
        if (!path.isEmpty() && !plot_->save(path)) QMessageBox::warning(this, "Korvel", "Cannot write " + path);
    });
    file->addSeparator();
    file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&Input forms", QKeySequence::HelpContents, this,
                    [this] { QMessageBox::information(this, "Input forms", inputForms); });
    help->addAction("&About Korvel", this, [this] {
        QMessageBox::about(this, "About Korvel",
                           QString("<p><b>Korvel %1</b></p><p>Every root, real and complex, of a polynomial with "
                                   "complex coefficients, to the precision you choose.</p>")
                               .arg(KORVEL_VERSION));
    });
}

bool KorvelMainWindow::openPolynomial(QString const& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    TextViewCoeffs->setPlainText(QString::fromUtf8(in.readAll()));
    return true;
}

bool KorvelMainWindow::saveOutput(QString const& path) const {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) return false;
    QByteArray const text = TextViewRoots->toPlainText().toUtf8();
    return out.write(text) == text.size();
}

void KorvelMainWindow::saveSettings() const {
    QSettings s = settingsStore();
    s.setValue("figuresShown", TextFieldSFext->text());
    s.setValue("figuresCarried", TextFieldSFint->text());
    s.setValue("cleanUp", myRadio->checkedId() == 0);
    s.setValue("fullPrecision", fullPrecisionSearch());
    s.setValue("certifyFigures", certifyFigures());
    s.setValue("showErrorBounds", showErrorBounds());
    s.setValue("polynomial", TextViewCoeffs->toPlainText());
    s.setValue("geometry", saveGeometry());
}

void KorvelMainWindow::restoreSettings() {
    QSettings s = settingsStore();
    if (s.contains("figuresShown")) TextFieldSFext->setText(s.value("figuresShown").toString());
    if (s.contains("figuresCarried")) TextFieldSFint->setText(s.value("figuresCarried").toString());
    myRadio->button(s.value("cleanUp", true).toBool() ? 0 : 1)->setChecked(true);
    searchChoice->button(s.value("fullPrecision", false).toBool() ? 1 : 0)->setChecked(true);
    certifyBox_->setChecked(s.value("certifyFigures", true).toBool());
    boundsBox_->setChecked(s.value("showErrorBounds", false).toBool());
    if (s.contains("polynomial")) TextViewCoeffs->setPlainText(s.value("polynomial").toString());
    if (s.contains("geometry")) restoreGeometry(s.value("geometry").toByteArray());
}

void KorvelMainWindow::closeEvent(QCloseEvent* event) {
    cancelSearch();
    saveSettings();
    event->accept();
}

}  // namespace korvel
