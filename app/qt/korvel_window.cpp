#include "app/qt/korvel_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace korvel {

namespace {
QLineEdit* figuresField(QString const& name, int value) {
    auto* field = new QLineEdit(QString::number(value));
    field->setObjectName(name);
    field->setMaximumWidth(110);
    return field;
}
}  // namespace

KorvelMainWindow::KorvelMainWindow(QWidget* parent) : QWidget(parent), controller_(*this) {
    setWindowTitle("Korvel: roots of a polynomial");

    TextFieldSFext = figuresField("TextFieldSFext", defaultExternalFigures);
    TextFieldSFext->setToolTip("Significant figures shown for each root and value");
    TextFieldSFint = figuresField("TextFieldSFint", defaultInternalFigures);
    TextFieldSFint->setToolTip("Significant figures carried in the computation; at least as many as shown");
    TextFieldTime = new QLineEdit;
    TextFieldTime->setObjectName("TextFieldTime");
    TextFieldTime->setReadOnly(true);
    TextFieldTime->setMaximumWidth(110);
    TextFieldTime->setToolTip("Processor time of the last computation, in seconds");

    auto* precision = new QFormLayout;
    precision->addRow("Figures shown:", TextFieldSFext);
    precision->addRow("Figures carried:", TextFieldSFint);
    precision->addRow("Time (s):", TextFieldTime);

    auto* radioBox = new QGroupBox("Negligible parts of the roots");
    radioBox->setObjectName("myRadio");
    auto* clean = new QRadioButton("Clean up (set them to zero)");
    auto* keep = new QRadioButton("Keep the roots as found");
    myRadio = new QButtonGroup(radioBox);
    myRadio->addButton(clean, 0);
    myRadio->addButton(keep, 1);
    clean->setChecked(true);
    auto* radioLayout = new QVBoxLayout(radioBox);
    radioLayout->addWidget(clean);
    radioLayout->addWidget(keep);

    findButton_ = new QPushButton("Find roots");
    findButton_->setObjectName("findButton");
    findButton_->setDefault(true);

    auto* controls = new QHBoxLayout;
    controls->addLayout(precision);
    controls->addWidget(radioBox);
    controls->addStretch(1);
    controls->addWidget(findButton_, 0, Qt::AlignBottom);

    QFont const mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    TextViewCoeffs = new QPlainTextEdit;
    TextViewCoeffs->setObjectName("TextViewCoeffs");
    TextViewCoeffs->setFont(mono);
    TextViewCoeffs->setPlaceholderText("3x^2-x+(1,2)\n\nor one coefficient per line,\nhighest power first:\n3\n-1\n(1,2)");
    TextViewRoots = new QPlainTextEdit;
    TextViewRoots->setObjectName("TextViewRoots");
    TextViewRoots->setReadOnly(true);
    TextViewRoots->setFont(mono);
    TextViewRoots->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* inputPane = new QWidget;
    auto* inputLayout = new QVBoxLayout(inputPane);
    inputLayout->setContentsMargins(0, 0, 0, 0);
    inputLayout->addWidget(new QLabel("Polynomial"));
    inputLayout->addWidget(TextViewCoeffs);
    auto* outputPane = new QWidget;
    auto* outputLayout = new QVBoxLayout(outputPane);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    outputLayout->addWidget(new QLabel("Roots (real part , imaginary part), then the polynomial's values"));
    outputLayout->addWidget(TextViewRoots);
    LabelStatus = new QLabel;
    LabelStatus->setObjectName("LabelStatus");
    LabelStatus->setWordWrap(true);
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelStatus->setVisible(false);
    outputLayout->addWidget(LabelStatus);
    auto* panes = new QSplitter;
    panes->addWidget(inputPane);
    panes->addWidget(outputPane);
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(panes, 1);
    resize(900, 560);

    connect(findButton_, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        controller_.korvel();
        QApplication::restoreOverrideCursor();
    });
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
    LabelStatus->setVisible(!text.empty());
}

}  // namespace korvel
