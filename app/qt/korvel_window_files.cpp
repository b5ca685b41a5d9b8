// The menus, the files the window reads and writes, and the remembered settings.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QStringDecoder>
#include <QTextCursor>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QAbstractButton>
#include <QSettings>
#include <QValidator>

#include "app/json.h"
#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"

namespace korvel {

namespace {

QSettings settingsStore() { return QSettings(QSettings::IniFormat, QSettings::UserScope, "Korvel", "korvel"); }

char const* const inputForms = R"(<p><b>x-notation</b>: terms such as <code>3x^2</code>, <code>-x</code>,
<code>(1,2)x^5</code>, <code>(3-2i)x</code> and numbers, in any order: <code>3x^2-x+(1,2)</code>,
<code>1 + 2ix - x^2</code>.</p>
<p><b>One coefficient per line</b>, from the highest power down to the constant term:
<code>3</code>, <code>-1</code>, <code>(1,2)</code> on three lines is the same polynomial.</p>
<p>A coefficient is a number (<code>-2.5e-3</code>), a fraction (<code>1/3</code>), a complex number
in i (<code>2i</code>, <code>3-2i</code>) or a complex pair <code>(a,b)</code> for a + bi, whose parts may
be fractions too. In x-notation a minus before a pair
belongs to its real part only: <code>x^2-(0,1)</code> is x<sup>2</sup> + i.</p>
<p>The line under the input shows the polynomial as it was read.</p>
<p><b>Keys</b>: Ctrl+Return finds the roots, Escape cancels a search, Ctrl+O opens a polynomial,
Ctrl+S saves the output, Ctrl+Shift+S saves the plot. In the plot: the wheel or + and - zoom, dragging
or the arrows pan, a double click or 0 fits the roots again; a click on a root, or n and p, select its
line in the output.</p>)";

}  // namespace

void KorvelMainWindow::makeMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open polynomial…", QKeySequence::Open, this, [this] {
        QString const path = QFileDialog::getOpenFileName(this, "Open polynomial", {}, "Text (*.txt);;All files (*)");
        QString why;
        if (!path.isEmpty() && !openPolynomial(path, &why)) QMessageBox::warning(this, "Korvel", why);
    });
    open->setToolTip("Read a polynomial, in either form, from a text file");
    QAction* batch = file->addAction("Open &batch…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this, [this] {
        QString const path = QFileDialog::getOpenFileName(this, "Open batch", {}, "Text (*.txt *.jsonl);;All files (*)");
        QString why;
        if (!path.isEmpty() && !openBatch(path, &why)) QMessageBox::warning(this, "Korvel", why);
    });
    batch->setToolTip("Find the roots of every polynomial in a file, one a line, and draw them all as a density");
    auto cannotWrite = [this](QString const& path, QString const& why) {
        QMessageBox::warning(this, "Korvel", "Cannot write " + QFileInfo(path).fileName() + ": " + why);
    };
    file->addAction("&Save output…", QKeySequence::Save, this, [this, cannotWrite] {
        QString const json = "JSON, the document of korvel-cli --json (*.json)";
        QString filter;
        QString path = QFileDialog::getSaveFileName(this, "Save output", "roots.txt",
                                                    "Text with a header (*.txt);;" + json, &filter);
        if (filter == json && QFileInfo(path).suffix().isEmpty()) path += ".json";
        QString why;
        if (!path.isEmpty() && !saveOutput(path, &why)) cannotWrite(path, why);
    });
    file->addAction("Save &plot…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, [this, cannotWrite] {
        QString const path = QFileDialog::getSaveFileName(this, "Save plot", "roots.png",
                                                          "PNG image (*.png);;SVG drawing (*.svg)");
        if (path.isEmpty()) return;
        QSize const size = askPlotSize(this, plot_->size());
        QString why;
        if (!size.isEmpty() && !plot_->save(path, size, &why)) cannotWrite(path, why);
    });
    file->addSeparator();
    file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&Input forms", QKeySequence::HelpContents, this,
                    [this] { QMessageBox::information(this, "Input forms", inputForms); });
    help->addAction("&About Korvel", this, [this] {
        std::unique_ptr<QMessageBox> about(aboutBox());
        about->exec();
        if (about->clickedButton() == about->findChild<QPushButton*>("aboutQt")) QApplication::aboutQt();
    });
}

QMessageBox* KorvelMainWindow::aboutBox() {
    auto* box = new QMessageBox(QMessageBox::NoIcon, "About Korvel",
                                QString("<p><b>Korvel %1</b></p><p>Every root, real and complex, of a polynomial "
                                        "with complex coefficients, to the precision you choose.</p>"
                                        "<p>Licence: %2.</p><p>Built with Qt %3, running with Qt %4 "
                                        "(Qt is used under the GNU LGPL version 3).</p>")
                                    .arg(KORVEL_VERSION, KORVEL_LICENCE, QT_VERSION_STR, qVersion()),
                                QMessageBox::Close, this);
    box->setIconPixmap(QApplication::windowIcon().pixmap(64));
    box->addButton("About &Qt", QMessageBox::HelpRole)->setObjectName("aboutQt");
    return box;
}

QSize askPlotSize(QWidget* parent, QSize size) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Size of the saved plot");
    auto* layout = new QFormLayout(&dialog);
    QSpinBox* sides[2];
    for (int k = 0; k < 2; ++k) {
        sides[k] = new QSpinBox;
        sides[k]->setRange(100, 20000);
        sides[k]->setSuffix(" px");
        sides[k]->setValue(k == 0 ? size.width() : size.height());
        layout->addRow(k == 0 ? "Width:" : "Height:", sides[k]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return {};
    return {sides[0]->value(), sides[1]->value()};
}

bool KorvelMainWindow::openPolynomial(QString const& path, QString* why) {
    auto refuse = [&](QString const& reason) {
        if (why) *why = reason;
        return false;
    };
    QString const name = QFileInfo(path).fileName();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return refuse("Cannot read " + name + ": " + in.errorString());
    QByteArray const bytes = in.readAll();
    // A NUL byte or a byte sequence that is not UTF-8: not a text file.
    if (bytes.contains('\0')) return refuse(name + " is not a text file (it holds NUL bytes)");
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return refuse(name + " is not a text file (it is not UTF-8)");
    text.replace("\r\n", "\n");
    // Through the document, so that Undo (Ctrl+Z) brings the typed text back.
    QTextCursor cursor(TextViewCoeffs->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    setWindowFilePath(path);
    setWindowTitle(name + "[*] — Korvel: roots of a polynomial");
    TextViewCoeffs->document()->setModified(false);
    return true;
}

bool KorvelMainWindow::saveOutput(QString const& path, QString* why) const {
    auto refuse = [&](QString const& reason) {
        if (why) *why = reason;
        return false;
    };
    bool const json = QFileInfo(path).suffix().compare("json", Qt::CaseInsensitive) == 0;
    if (json && !result_) return refuse("there are no roots to write yet");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) return refuse(out.errorString());
    QByteArray const text = json ? QByteArray::fromStdString(resultJson(*result_)) : headedOutput().toUtf8();
    if (out.write(text) != text.size() || !out.flush()) return refuse(out.errorString());
    return true;
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
    // A remembered figure count outside 1 to 100000 leaves the default.
    for (auto [key, field] : {std::pair{"figuresShown", TextFieldSFext}, std::pair{"figuresCarried", TextFieldSFint}}) {
        QString value = s.value(key).toString();
        int at = 0;
        if (field->validator()->validate(value, at) == QValidator::Acceptable) field->setText(value);
    }
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
