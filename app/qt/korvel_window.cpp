// The window's construction, piece by piece.
#include "app/qt/korvel_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QThread>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt/root_plot.h"

namespace korvel {

namespace {
QLineEdit* figuresField(QString const& name, int value, QString const& tip) {
    auto* field = new QLineEdit(QString::number(value));
    field->setObjectName(name);
    field->setMaximumWidth(110);
    // Digits only, 1 to 100000: a refused key says why on the status line.
    field->setValidator(new QIntValidator(1, maxFigures, field));
    field->setToolTip(tip);
    return field;
}

// The two radio buttons of box as a group with ids 0 and 1, the first checked.
QButtonGroup* twoChoices(QGroupBox* box, QRadioButton* first, QRadioButton* second) {
    auto* group = new QButtonGroup(box);
    group->addButton(first, 0);
    group->addButton(second, 1);
    first->setChecked(true);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(first);
    layout->addWidget(second);
    return group;
}

QWidget* column(QString const& title, QWidget* main, QWidget* below) {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title));
    layout->addWidget(main, 1);
    if (below) layout->addWidget(below);
    return pane;
}
}  // namespace

KorvelMainWindow::KorvelMainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Korvel: roots of a polynomial[*]");

    auto* controls = new QHBoxLayout;
    controls->addLayout(makePrecisionFields());
    controls->addWidget(makeChoices());
    controls->addStretch(1);
    findButton_ = new QPushButton("Find roots");
    findButton_->setObjectName("findButton");
    // Bold rather than a default button, whose look in many styles is the
    // look of the focus: the focus on it would not show.
    QFont bold = findButton_->font();
    bold.setBold(true);
    findButton_->setFont(bold);
    findButton_->setToolTip("Find every root of the polynomial (Ctrl+Return)");
    controls->addWidget(findButton_, 0, Qt::AlignBottom);

    plot_ = new RootPlot;
    plot_->setObjectName("plot");
    plot_->setToolTip("");
    auto* panes = new QSplitter;
    panes->addWidget(makeInputPane());
    panes->addWidget(makeOutputPane());
    panes->addWidget(column("Roots in the complex plane (wheel: zoom, drag: pan, double click: fit)", plot_, nullptr));
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 3);
    panes->setStretchFactor(2, 3);
    panes->setSizes({300, 420, 500});

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(controls);
    layout->addWidget(panes, 1);
    layout->addWidget(makeStatusRow());
    setCentralWidget(central);
    resize(1240, 640);

    makeMenus();
    connectActions();
    setTabOrder();
    restoreSettings();
}

KorvelMainWindow::~KorvelMainWindow() {
    cancel_ = true;
    if (worker_) worker_->wait();
    delete worker_;
}

QLayout* KorvelMainWindow::makePrecisionFields() {
    TextFieldSFext = figuresField("TextFieldSFext", defaultExternalFigures,
                                  "Significant figures shown for each root and value");
    TextFieldSFint = figuresField("TextFieldSFint", defaultInternalFigures,
                                  "Significant figures carried in the computation; at least as many as shown");
    TextFieldTime = new QLabel;
    TextFieldTime->setObjectName("TextFieldTime");
    TextFieldTime->setTextInteractionFlags(Qt::TextSelectableByMouse);
    TextFieldTime->setMinimumWidth(110);
    TextFieldTime->setToolTip("Processor time of the last computation, in seconds");
    auto* precision = new QFormLayout;
    precision->addRow("Figures shown:", TextFieldSFext);
    precision->addRow("Figures carried:", TextFieldSFint);
    precision->addRow("Time:", TextFieldTime);
    return precision;
}

QWidget* KorvelMainWindow::makeChoices() {
    auto* radioBox = new QGroupBox("Negligible parts of the roots");
    radioBox->setObjectName("myRadio");
    auto* clean = new QRadioButton("Clean up (set them to zero)");
    clean->setToolTip("A real or imaginary part too small to change the polynomial's value becomes zero");
    auto* keep = new QRadioButton("Keep the roots as found");
    myRadio = twoChoices(radioBox, clean, keep);

    auto* searchBox = new QGroupBox("Search");
    searchBox->setObjectName("searchChoice");
    auto* staged = new QRadioButton("Staged (fast)");
    staged->setToolTip("All roots at once at low precision, refined to the figures carried and checked;\n"
                       "multiple or tightly clustered roots fall back to the full-precision search");
    auto* full = new QRadioButton("Full precision throughout");
    full->setToolTip("Root after root at the figures carried from the start: the slower search of earlier versions");
    searchChoice = twoChoices(searchBox, staged, full);

    auto* checks = new QGroupBox("Certainty");
    certifyBox_ = new QCheckBox("Certify figures shown");
    certifyBox_->setObjectName("certifyFigures");
    certifyBox_->setChecked(true);
    certifyBox_->setToolTip("Carry more figures until every figure shown is certain");
    boundsBox_ = new QCheckBox("Show error bounds");
    boundsBox_->setObjectName("showErrorBounds");
    boundsBox_->setToolTip("Write each root's certified error bound after the values");
    auto* checkLayout = new QVBoxLayout(checks);
    checkLayout->addWidget(certifyBox_);
    checkLayout->addWidget(boundsBox_);

    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(radioBox);
    layout->addWidget(searchBox);
    layout->addWidget(checks);
    return row;
}

QWidget* KorvelMainWindow::makeInputPane() {
    TextViewCoeffs = new QPlainTextEdit;
    TextViewCoeffs->setObjectName("TextViewCoeffs");
    TextViewCoeffs->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TextViewCoeffs->setPlaceholderText("3x^2-x+(1,2)\n\nor one coefficient per line,\nhighest power first:\n3\n-1\n(1,2)");
    TextViewCoeffs->setToolTip("The polynomial in x-notation, or one coefficient per line from the highest power;\n"
                               "(a,b) is a + bi. Ctrl+Return finds the roots.");
    TextViewCoeffs->setTabChangesFocus(true);
    // At the window's smallest, still six lines of a long term each.
    QFontMetrics const typed(TextViewCoeffs->font());
    TextViewCoeffs->setMinimumSize(typed.horizontalAdvance(QString(22, 'x')), 7 * typed.lineSpacing());
    readAs_ = new QLabel;
    readAs_->setObjectName("LabelReadAs");
    readAs_->setWordWrap(true);
    // Three lines reserved, so that the input does not jump as the line changes.
    readAs_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    readAs_->setMinimumHeight(3 * readAs_->fontMetrics().lineSpacing());
    readAs_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readAs_->setToolTip("The polynomial as Korvel reads it, coefficients to a few figures");
    readTimer_ = new QTimer(this);
    readTimer_->setSingleShot(true);
    readTimer_->setInterval(150);
    return column("Polynomial", TextViewCoeffs, readAs_);
}

QWidget* KorvelMainWindow::makeOutputPane() {
    TextViewRoots = new QPlainTextEdit;
    TextViewRoots->setObjectName("TextViewRoots");
    TextViewRoots->setReadOnly(true);
    TextViewRoots->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TextViewRoots->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TextViewRoots->setLineWrapMode(QPlainTextEdit::NoWrap);
    TextViewRoots->setToolTip("Click a root's line to mark it in the plot");
    outputHeader_ = new QLabel;
    outputHeader_->setObjectName("outputHeader");
    outputHeader_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Cut at the pane's edge rather than widen it; the tooltip has it all.
    outputHeader_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    outputHeader_->setMinimumHeight(3 * outputHeader_->fontMetrics().lineSpacing());
    copyButton_ = new QPushButton("Copy");
    copyButton_->setObjectName("copyButton");
    copyButton_->setToolTip("Copy the selected text, or all of the output when nothing is selected");
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(outputHeader_, 1);
    layout->addWidget(copyButton_, 0, Qt::AlignTop);
    return column("Roots (real part , imaginary part), then the polynomial's values", TextViewRoots, row);
}

QWidget* KorvelMainWindow::makeStatusRow() {
    LabelStatus = new QLabel;
    LabelStatus->setObjectName("LabelStatus");
    LabelStatus->setWordWrap(true);
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Four lines reserved whatever the status says: a long warning scrolls
    // instead of growing the window, and the panes do not jump.
    statusArea_ = new QScrollArea;
    statusArea_->setObjectName("statusArea");
    statusArea_->setWidget(LabelStatus);
    statusArea_->setWidgetResizable(true);
    statusArea_->setFrameShape(QFrame::NoFrame);
    // A focus stop, so that a long warning can be scrolled with the keys: a
    // frame shows where the focus is, and room for it is kept without.
    statusArea_->setStyleSheet("QScrollArea#statusArea { border: 1px solid transparent; }"
                               "QScrollArea#statusArea:focus { border: 1px solid palette(highlight); }");
    statusArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statusArea_->setFixedHeight(4 * LabelStatus->fontMetrics().lineSpacing() + 6);
    statusArea_->viewport()->installEventFilter(this);
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    progress_->setVisible(false);
    progress_->setMinimumWidth(260);
    QSizePolicy keep = progress_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keep);
    cancelButton_ = new QPushButton("Cancel");
    cancelButton_->setObjectName("cancelButton");
    cancelButton_->setToolTip("Stop the search; the output stays as it was (Escape)");
    cancelButton_->setEnabled(false);
    cancelButton_->setVisible(false);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(statusArea_, 1);
    layout->addWidget(progress_, 0, Qt::AlignTop);
    layout->addWidget(cancelButton_, 0, Qt::AlignTop);
    return row;
}

void KorvelMainWindow::connectActions() {
    connect(findButton_, &QPushButton::clicked, this, [this] { findRoots(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelSearch(); });
    for (auto key : {QKeyCombination(Qt::CTRL, Qt::Key_Return), QKeyCombination(Qt::CTRL, Qt::Key_Enter)})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, [this] { findRoots(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] { cancelSearch(); });
    connect(copyButton_, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(copyText()); });
    // Any change to what a search reads makes the output shown stale; the
    // error bounds only change how it is written.
    connect(TextViewCoeffs, &QPlainTextEdit::textChanged, this, [this] { refreshStale(); });
    for (QLineEdit* field : {TextFieldSFext, TextFieldSFint}) {
        connect(field, &QLineEdit::textChanged, this, [this] { refreshStale(); });
        connect(field, &QLineEdit::inputRejected, this, [this, field] {
            setStatusText((field == TextFieldSFext ? "Figures shown" : "Figures carried") +
                          std::string(": a whole number from 1 to 100000"));
        });
    }
    for (QButtonGroup* group : {myRadio, searchChoice})
        connect(group, &QButtonGroup::idToggled, this, [this] { refreshStale(); });
    connect(certifyBox_, &QCheckBox::toggled, this, [this] { refreshStale(); });
    connect(TextViewCoeffs->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
    connect(boundsBox_, &QCheckBox::toggled, this, [this] { showOutput(); });
    connect(TextViewCoeffs, &QPlainTextEdit::textChanged, readTimer_, qOverload<>(&QTimer::start));
    connect(readTimer_, &QTimer::timeout, this, [this] { showReading(); });
    connect(TextViewRoots, &QPlainTextEdit::cursorPositionChanged, this, [this] { highlightRootOfCursor(); });
    plot_->onRootClicked = [this](int k) { selectRootLine(k); };
}

void KorvelMainWindow::setTabOrder() {
    QWidget* const order[] = {TextViewCoeffs, TextFieldSFext, TextFieldSFint,
                              myRadio->button(myRadio->checkedId()), searchChoice->button(searchChoice->checkedId()),
                              certifyBox_, boundsBox_, findButton_, TextViewRoots, copyButton_, plot_, cancelButton_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

}  // namespace korvel
