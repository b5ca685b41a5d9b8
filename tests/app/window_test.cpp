// The real window, offscreen: type, press, wait for the worker, read; the plot
// through its data; files, settings and the search's progress and Cancel.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QLabel>
#include <QMessageBox>
#include <QSet>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

#include <complex>
#include <set>

#include <gtest/gtest.h>

#include "app/qt/korvel_window.h"
#include "app/qt/root_plot.h"

namespace korvel {
namespace {

// One application for every test, its settings in a directory of its own.
QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

class Application : public ::testing::Environment {
public:
    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch().path());
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[12] = "window_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};
::testing::Environment* const application = ::testing::AddGlobalTestEnvironment(new Application);

// A shown window with no remembered settings.
struct Shown {
    Shown() {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Korvel", "korvel").clear();
        window = std::make_unique<KorvelMainWindow>();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        input = window->findChild<QPlainTextEdit*>("TextViewCoeffs");
        output = window->findChild<QPlainTextEdit*>("TextViewRoots");
    }
    // Presses Find roots and waits for the worker's results.
    void find(QString const& text) {
        input->setPlainText(text);
        QTest::mouseClick(window->findButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 60000));
    }
    std::unique_ptr<KorvelMainWindow> window;
    QPlainTextEdit* input;
    QPlainTextEdit* output;
};

TEST(Window, FindsRootsOnTheWorkerThreadWithEveryChoice) {
    Shown s;
    for (char const* outlet : {"TextFieldSFext", "TextFieldSFint", "TextFieldTime", "TextViewCoeffs", "TextViewRoots", "myRadio"})
        EXPECT_NE(s.window->findChild<QWidget*>(outlet), nullptr) << outlet;
    auto* time = s.window->findChild<QLabel*>("TextFieldTime");
    s.find("x^2+1");
    EXPECT_TRUE(s.output->toPlainText().startsWith("0 , 1\n\n0 , -1\n\nPolynomial(root):")) << s.output->toPlainText().toStdString();
    EXPECT_TRUE(QRegularExpression("^[0-9.e+-]+ s$").match(time->text()).hasMatch()) << time->text().toStdString();
    EXPECT_TRUE(s.window->findButton()->isEnabled());
    QTest::mouseClick(s.window->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
    QString const copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Roots of x^2 + 1 (degree 2)\n")) << copied.toStdString();
    EXPECT_TRUE(copied.endsWith("\n\n" + s.output->toPlainText())) << "Copy with nothing selected takes it all";

    auto searches = s.window->findChild<QWidget*>("searchChoice")->findChildren<QRadioButton*>();
    ASSERT_EQ(searches.size(), 2);
    EXPECT_FALSE(s.window->fullPrecisionSearch()) << "staged by default";
    searches[1]->click();
    EXPECT_TRUE(s.window->fullPrecisionSearch());
    s.find("x^2+1");
    EXPECT_TRUE(s.output->toPlainText().startsWith("0 , 1\n\n0 , -1\n\nPolynomial(root):"));

    auto radios = s.window->findChild<QWidget*>("myRadio")->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    radios[1]->click();  // keep the roots as found: the full-precision search leaves residue off the axis
    EXPECT_EQ(s.window->selectedRow(), 1);
    auto* certify = s.window->findChild<QCheckBox*>("certifyFigures");
    EXPECT_TRUE(s.window->certifyFigures());
    certify->setChecked(false);  // certification clears a part inside its root's disk whatever the row says
    s.find("x^2+1");
    EXPECT_FALSE(s.output->toPlainText().startsWith("0 , 1\n")) << "the tiny real parts stay";
    certify->setChecked(true);

    EXPECT_FALSE(s.window->showErrorBounds());
}

// A search whose figures stay uncertain: (x-1)^12 - 10^-180 i at 16 figures
// carried, whose 12 roots 10^-15 from 1 the 128-figure cap cannot part.
struct Uncertain : Shown {
    Uncertain() {
        window->setInternalFigures(16);
        find("1\n-12\n66\n-220\n495\n-792\n924\n-792\n495\n-220\n66\n-12\n(1,-1e-180)");
    }
};

TEST(Window, SavedAndCopiedOutputCarryTheHeaderTheWarningAndTheMarks) {
    Uncertain s;
    QString const shown = s.output->toPlainText();
    ASSERT_TRUE(shown.section('\n', 0, 0).contains(QRegularExpression("\\(uncertain: \\d+ of 16 figures certain\\)$")))
        << shown.toStdString();
    QString const path = scratch().filePath("uncertain.txt");
    ASSERT_TRUE(s.window->saveOutput(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    QString const text = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(text.startsWith("Roots of x^12 - 12x^11 + 66x^10")) << text.toStdString();
    for (char const* part : {"Figures shown 16, carried 16 (128 in the last round); staged search; figures shown certified",
                             "\nFound 20", "\nNot every figure shown is certain, with 128 figures carried:\nroot 1 ("})
        EXPECT_TRUE(text.contains(part)) << part << "\n" << text.toStdString();
    EXPECT_TRUE(text.endsWith("\n\n" + shown));
    EXPECT_EQ(s.window->copyText(), text) << "Copy with nothing selected is the saved text";

    QString const json = scratch().filePath("uncertain.json");
    ASSERT_TRUE(s.window->saveOutput(json));
    QFile document(json);
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    QJsonObject const doc = QJsonDocument::fromJson(document.readAll()).object();
    EXPECT_EQ(doc["roots"].toArray().size(), 12);
    EXPECT_EQ(doc["settings"].toObject()["carried"].toInt(), 16);
    EXPECT_TRUE(doc["warning"].toString().startsWith("Not every figure shown is certain"));
}

TEST(Window, AFailedRunKeepsTheLastOutputAndPlotMarkedStaleWithTheReason) {
    Shown s;
    auto* status = s.window->findChild<QLabel*>("LabelStatus");
    auto* time = s.window->findChild<QLabel*>("TextFieldTime");
    s.find("x^3-8");
    QString const good = s.output->toPlainText();
    EXPECT_FALSE(s.window->outputStale());
    struct Case {
        char const* rule;
        int shown;
        char const* input;
        char const* message;
    } const cases[] = {
        {"shown above carried, in the fields' own words", 80, "x^3-8", "Figures carried (64) must be at least figures shown (80)"},
        {"an unreadable polynomial, with the reader's reason", 16, "x^2+1/0", "The polynomial cannot be read: a zero denominator"},
        {"a constant", 16, "7", "The polynomial is a constant: it has no roots"},
    };
    for (Case const& c : cases) {
        s.window->setExternalFigures(c.shown);
        s.find(c.input);
        EXPECT_EQ(s.output->toPlainText(), good) << c.rule;
        EXPECT_EQ(s.window->plot()->points().size(), 3u) << c.rule;
        EXPECT_TRUE(s.window->outputStale() && s.window->plot()->stale()) << c.rule;
        EXPECT_TRUE(status->text().startsWith(c.message)) << c.rule << ": " << status->text().toStdString();
        EXPECT_TRUE(time->text().isEmpty()) << c.rule << ": the time is cleared";
    }
    s.window->setExternalFigures(16);
    s.find("x^3-8");
    EXPECT_FALSE(s.window->outputStale()) << "a search that succeeds is fresh again";
    EXPECT_FALSE(time->text().isEmpty());
}

TEST(Window, OutputIsMarkedStaleWhenTheInputOrTheSettingsChange) {
    Shown s;
    auto* header = s.window->findChild<QLabel*>("outputHeader");
    s.find("x^2-4");
    EXPECT_TRUE(header->text().startsWith("Roots of x^2 - 4 (degree 2)\n16 shown, 64 carried · staged · certified")) << header->text().toStdString();
    EXPECT_FALSE(s.window->outputStale());
    QTest::keyClicks(s.input, "+1");
    EXPECT_TRUE(s.window->outputStale()) << "the input changed";
    EXPECT_TRUE(s.window->plot()->stale());
    EXPECT_TRUE(header->text().startsWith("Stale: Roots of x^2 - 4")) << header->text().toStdString();
    s.input->undo();
    EXPECT_FALSE(s.window->outputStale()) << "back to the input searched";
    s.window->findChild<QWidget*>("searchChoice")->findChildren<QRadioButton*>()[1]->click();
    EXPECT_TRUE(s.window->outputStale()) << "the search changed";
    s.window->findChild<QWidget*>("searchChoice")->findChildren<QRadioButton*>()[0]->click();
    s.window->setInternalFigures(65);
    EXPECT_TRUE(s.window->outputStale()) << "the figures carried changed";
    s.window->setInternalFigures(64);
    s.window->findChild<QCheckBox*>("showErrorBounds")->setChecked(true);
    EXPECT_FALSE(s.window->outputStale()) << "error bounds only change how the roots are written";
    // A field edited while the search runs is not what the result used.
    s.input->setPlainText("x^2-9");
    QTest::mouseClick(s.window->findButton(), Qt::LeftButton);
    s.window->setExternalFigures(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.window->searching(); }, 60000));
    EXPECT_TRUE(s.window->outputStale());
    EXPECT_TRUE(header->text().contains("\n16 shown,")) << header->text().toStdString();
}

TEST(Window, FileOpenIsOneUndoableEditRefusesWhatIsNotTextAndNamesTheWindow) {
    Shown s;
    QTest::keyClicks(s.input, "x^3-1");
    QString const cubic = scratch().filePath("quadratic.txt");
    auto write = [](QString const& path, QByteArray const& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(cubic, "x^2-2\r\n");
    QString why;
    ASSERT_TRUE(s.window->openPolynomial(cubic, &why)) << why.toStdString();
    EXPECT_EQ(s.input->toPlainText(), "x^2-2\n");
    EXPECT_TRUE(s.window->windowTitle().startsWith("quadratic.txt")) << s.window->windowTitle().toStdString();
    s.input->undo();
    EXPECT_EQ(s.input->toPlainText(), "x^3-1") << "Undo brings the typed text back";
    struct Case {
        char const* rule;
        QByteArray bytes;
    } const cases[] = {{"a NUL byte", QByteArray("x^2\0-1", 6)}, {"bytes that are not UTF-8", "x^2-\xff\xfe" "1"}};
    for (Case const& c : cases) {
        QString const path = scratch().filePath("binary.dat");
        write(path, c.bytes);
        EXPECT_FALSE(s.window->openPolynomial(path, &why)) << c.rule;
        EXPECT_TRUE(why.contains("binary.dat is not a text file")) << c.rule << ": " << why.toStdString();
        EXPECT_EQ(s.input->toPlainText(), "x^3-1") << c.rule;
    }
    EXPECT_FALSE(s.window->openPolynomial(scratch().filePath("none.txt"), &why));
    EXPECT_TRUE(why.startsWith("Cannot read none.txt")) << why.toStdString();
}

TEST(Window, FiguresFieldsTakeWholeNumbersFrom1To100000AndSayWhy) {
    Shown s;
    auto* status = s.window->findChild<QLabel*>("LabelStatus");
    auto* shown = s.window->findChild<QLineEdit*>("TextFieldSFext");
    struct Case {
        char const* rule;
        char const* typed;
        char const* kept;
    } const cases[] = {{"no exponent", "1e2", "12"}, {"no sign", "-3", "3"}, {"no letters", "20abc", "20"}, {"at most 100000", "1000000", "100000"}};
    for (Case const& c : cases) {
        shown->clear();
        status->clear();
        QTest::keyClicks(shown, c.typed);
        EXPECT_EQ(shown->text(), c.kept) << c.rule;
        EXPECT_EQ(status->text(), "Figures shown: a whole number from 1 to 100000") << c.rule;
    }
    shown->setText("0");
    s.find("x-1");
    EXPECT_TRUE(s.output->toPlainText().isEmpty()) << "no search with 0 figures";
    EXPECT_EQ(status->text(), "Figures shown: a whole number from 1 to 100000, not 0");
    shown->clear();
    s.find("x-1");
    EXPECT_EQ(shown->text(), "16") << "an empty field gets its default";
}

TEST(Window, ALongWarningScrollsInsteadOfGrowingTheWindow) {
    Shown s;
    s.window->resize(1240, 640);
    QApplication::processEvents();
    int const height = s.window->height();
    std::string warning = "Not every figure shown is certain, with 128 figures carried:";
    for (int k = 1; k <= 60; ++k) warning += "\nroot " + std::to_string(k) + " (1 , 0): 11 of 16 figures certain";
    s.window->setStatusText(warning);
    QApplication::processEvents();
    EXPECT_EQ(s.window->height(), height);
    EXPECT_LT(s.window->minimumSizeHint().height(), 600);
    auto* area = s.window->findChild<QScrollArea*>("statusArea");
    EXPECT_LE(area->height(), 8 * area->fontMetrics().lineSpacing());
    EXPECT_GT(area->verticalScrollBar()->maximum(), 40 * area->fontMetrics().lineSpacing()) << "it scrolls";
}

TEST(Window, RootsNotCertifiedAreDrawnAndWrittenSoAndBoundsStandOnTheirLines) {
    Shown s;
    s.window->findChild<QCheckBox*>("certifyFigures")->setChecked(false);
    s.find("x^2-2");
    EXPECT_TRUE(s.window->plot()->drawnUncertain(0) && s.window->plot()->drawnUncertain(1));
    EXPECT_TRUE(s.output->toPlainText().section('\n', 0, 0).endsWith("(not certified)")) << s.output->toPlainText().toStdString();
    EXPECT_TRUE(s.window->plot()->rootText(0).contains("Not certified")) << s.window->plot()->rootText(0).toStdString();
    s.window->findChild<QCheckBox*>("certifyFigures")->setChecked(true);
    s.window->findChild<QCheckBox*>("showErrorBounds")->setChecked(true);
    s.find("x^2-2");
    EXPECT_FALSE(s.window->plot()->drawnUncertain(0));
    QString const text = s.output->toPlainText();
    EXPECT_TRUE(QRegularExpression("^1\\.414213562373095 , 0   ± [0-9.e-]+\n").match(text).hasMatch()) << text.toStdString();
    EXPECT_FALSE(text.contains("Error bound:")) << "the bounds stand on their roots' lines";
}

TEST(Window, CtrlReturnFindsTheRoots) {
    Shown s;
    s.input->setPlainText("x-2");
    s.input->setFocus();
    QTest::keyClick(s.input, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.window->searching() && !s.output->toPlainText().isEmpty(); }, 60000));
    EXPECT_TRUE(s.output->toPlainText().startsWith("2 , 0\n")) << s.output->toPlainText().toStdString();
    EXPECT_EQ(s.input->toPlainText(), "x-2") << "no line break typed into the polynomial";
}

TEST(Window, ALongSearchShowsProgressAndCancelLeavesTheOutput) {
    Shown s;
    s.find("x^3-1");
    QString const before = s.output->toPlainText();
    // Degree 100 at 1000 figures, root after root: seconds of work.
    QString coefficients;
    for (int k = 0; k <= 100; ++k) coefficients += QString::number(k % 7 + 1) + "\n";
    s.window->findChild<QWidget*>("searchChoice")->findChildren<QRadioButton*>()[1]->click();
    s.window->setInternalFigures(1000);
    s.input->setPlainText(coefficients);
    QTest::mouseClick(s.window->findButton(), Qt::LeftButton);
    EXPECT_TRUE(s.window->searching());
    EXPECT_FALSE(s.window->findButton()->isEnabled()) << "one search at a time";
    QProgressBar* progress = s.window->progressBar();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->value() >= 1; }, 60000)) << "a root is counted";
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_TRUE(progress->text().contains("of 100 roots at 1000 figures")) << progress->text().toStdString();
    QTest::mouseClick(s.window->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.window->searching(); }, 60000));
    EXPECT_EQ(s.output->toPlainText(), before);
    EXPECT_EQ(s.window->findChild<QLabel*>("LabelStatus")->text(), cancelledMessage);
    EXPECT_EQ(s.window->plot()->points().size(), 3u) << "the plot keeps the last roots too";
    EXPECT_TRUE(s.window->findButton()->isEnabled());
    EXPECT_FALSE(progress->isVisible());
}

// Open batch: every line's roots drawn as a density in the plot's place, the
// roots of x^n - 1 on the unit circle at any zoom; Cancel keeps what was shown.
TEST(Window, ABatchIsDrawnAsADensityAndCancelKeepsTheLastPicture) {
    Shown s;
    QTemporaryDir dir;
    QString const path = dir.filePath("batch.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int n = 3; n <= 20; ++n) f.write(QString("x^%1-1\n").arg(n).toUtf8());
        f.write("x^^2\n");
    }
    ASSERT_TRUE(s.window->openBatch(path));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.window->searching(); }, 60000));
    RootPlot* plot = s.window->plot();
    ASSERT_NE(plot->density(), nullptr);
    EXPECT_EQ(plot->density()->size(), std::size_t((3 + 20) * 18 / 2));
    EXPECT_TRUE(s.output->toPlainText().startsWith("Batch batch.txt\n19 polynomials searched, 1 failed\n207 roots"))
        << s.output->toPlainText().toStdString();
    for (int zoom : {0, 3}) {
        for (int k = 0; k < zoom; ++k) QTest::keyClick(plot, Qt::Key_Plus);
        QImage const image = plot->grab().toImage();
        int onCircle = 0, off = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                QColor const c = image.pixelColor(x, y);
                // The density's colours are warm or violet; the axes and labels grey or black.
                if (c.red() - c.green() < 40) continue;
                double const r = std::abs(std::complex<double>(plot->toPlane(QPointF(x + 0.5, y + 0.5)).x(),
                                                               plot->toPlane(QPointF(x + 0.5, y + 0.5)).y()));
                (std::abs(r - 1) < 3 / plot->toWidget(QPointF(1, 0)).x() + 0.05 ? onCircle : off)++;
            }
        EXPECT_GT(onCircle, 10) << "zoom " << zoom;
        EXPECT_EQ(off, 0) << "zoom " << zoom;
    }

    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int k = 1; k <= 40; ++k) f.write(QString("x^200-%1\n").arg(k).toUtf8());
    }
    s.window->setInternalFigures(1000);
    s.window->setExternalFigures(1000);
    ASSERT_TRUE(s.window->openBatch(path));
    EXPECT_TRUE(s.window->progressBar()->isVisible());
    QString why;
    EXPECT_FALSE(s.window->openBatch(path, &why)) << "one search at a time";
    QTest::mouseClick(s.window->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.window->searching(); }, 60000));
    EXPECT_EQ(s.window->findChild<QLabel*>("LabelStatus")->text(), cancelledMessage);
    ASSERT_NE(plot->density(), nullptr);
    EXPECT_EQ(plot->density()->size(), std::size_t((3 + 20) * 18 / 2)) << "the last picture stays";
}

TEST(Window, PlotHoldsEachRootAtItsPlaceAndMarksUncertainOnes) {
    Shown s;
    s.find("x^4-16");  // 2, 2i, -2i, -2 in the output's order
    RootPlot* plot = s.window->plot();
    std::vector<QPointF> const expected = {{2, 0}, {0, 2}, {0, -2}, {-2, 0}};
    ASSERT_EQ(plot->points().size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(plot->points()[k].x(), expected[k].x(), 1e-12) << k;
        EXPECT_NEAR(plot->points()[k].y(), expected[k].y(), 1e-12) << k;
        QPointF const at = plot->toWidget(expected[k]);
        EXPECT_TRUE(plot->rect().contains(at.toPoint())) << "fitted into view: root " << k;
        EXPECT_EQ(plot->rootAt(at), int(k));
    }
    EXPECT_TRUE(plot->rootText(1).startsWith("Root 2: 0 , 2")) << plot->rootText(1).toStdString();

    // The wheel zooms about the pointer: the root under it stays there.
    QPointF const under = plot->toWidget(expected[0]);
    double const apart = plot->toWidget(expected[0]).x() - plot->toWidget(expected[3]).x();
    QWheelEvent wheel(under, plot->mapToGlobal(under), {}, {0, 1200}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    EXPECT_LT((plot->toWidget(expected[0]) - under).manhattanLength(), 1e-6);
    EXPECT_GT(plot->toWidget(expected[0]).x() - plot->toWidget(expected[3]).x(), 4 * apart);
    EXPECT_FALSE(plot->rect().contains(plot->toWidget(expected[3]).toPoint())) << "zoomed in, -2 is out of view";
    // Dragging pans by the pointer's move; a double click fits again.
    auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, plot->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(plot, &event);
    };
    mouse(QEvent::MouseButtonPress, under, Qt::LeftButton);
    mouse(QEvent::MouseMove, under + QPointF(30, -20), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, under + QPointF(30, -20), Qt::NoButton);
    EXPECT_LT((plot->toWidget(expected[0]) - under - QPointF(30, -20)).manhattanLength(), 1e-6);
    mouse(QEvent::MouseButtonDblClick, under, Qt::LeftButton);
    for (QPointF const& z : expected) EXPECT_TRUE(plot->rect().contains(plot->toWidget(z).toPoint()));

    // The keys do what the wheel, dragging and a double click do.
    plot->setFocus();
    double const fitted = plot->scale();
    QTest::keyClick(plot, Qt::Key_Plus);
    EXPECT_NEAR(plot->scale() / fitted, 1.197, 1e-3);
    QTest::keyClick(plot, Qt::Key_Minus);
    EXPECT_NEAR(plot->scale(), fitted, fitted * 1e-9);
    QPointF const before = plot->toWidget(expected[0]);
    QTest::keyClick(plot, Qt::Key_Right);
    EXPECT_LT(plot->toWidget(expected[0]).x(), before.x() - 10) << "the view moves right, the roots left";
    QTest::keyClick(plot, Qt::Key_Up);
    EXPECT_GT(plot->toWidget(expected[0]).y(), before.y() + 10);
    for (int i = 0; i < 5; ++i) QTest::keyClick(plot, Qt::Key_Plus);
    QTest::keyClick(plot, Qt::Key_0);
    EXPECT_NEAR(plot->scale(), fitted, fitted * 1e-9);
    for (QPointF const& z : expected) EXPECT_TRUE(plot->rect().contains(plot->toWidget(z).toPoint()));

    // Zoomed in far from the origin with the pointer a few pixels off the
    // root: the root stays where it is, the zoom stops where doubles no longer
    // tell pixels apart, and the ticks are labelled by their offsets, as many
    // as fit side by side.
    QPointF const near = under + QPointF(3, -2);
    QWheelEvent nearWheel(near, plot->mapToGlobal(near), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    double deepest = 0;
    for (int i = 0; i < 400; ++i) {
        QApplication::sendEvent(plot, &nearWheel);
        ASSERT_LT((plot->toWidget(expected[0]) - under).manhattanLength(), 0.5) << "after " << i + 1 << " clicks";
        if (i == 380) deepest = plot->scale();
    }
    EXPECT_EQ(plot->scale(), deepest) << "the zoom stopped";
    EXPECT_GT(deepest, 1e12);
    EXPECT_LE(deepest, plot->largestScale());
    QFontMetricsF const metrics(QFont(plot->font().family(), 8));
    for (auto orientation : {Qt::Horizontal, Qt::Vertical}) {
        RootPlot::Axis const axis = plot->axis(orientation);
        ASSERT_GE(axis.at.size(), 2u) << orientation;
        EXPECT_EQ(QSet<QString>(axis.labels.begin(), axis.labels.end()).size(), axis.labels.size()) << orientation;
        double const spacing = (axis.at[1] - axis.at[0]) * plot->scale();
        for (QString const& label : axis.labels)
            EXPECT_GT(spacing, orientation == Qt::Horizontal ? metrics.horizontalAdvance(label) : metrics.height());
    }
    EXPECT_NEAR(plot->axis(Qt::Horizontal).base.toDouble(), 2, 1e-9) << plot->axis(Qt::Horizontal).base.toStdString();
    EXPECT_TRUE(plot->axis(Qt::Vertical).base.isEmpty()) << "0 needs no offsets";
    EXPECT_FALSE(plot->grab().isNull());

    SearchResult result;
    result.coefficients = {fpComplex(-1.0), fpComplex(0.0), fpComplex(1.0)};
    result.options.shownFigures = 16;
    result.roots = {{fpComplex(1.0), fpComplex(), fp(1e-70), 16, 0}, {fpComplex(-1.0), fpComplex(), fp(1e-3), 3, 0}};
    s.window->setResult(result);
    EXPECT_FALSE(plot->drawnUncertain(0));
    EXPECT_TRUE(plot->drawnUncertain(1)) << "3 certain figures of 16 shown";
    EXPECT_TRUE(plot->rootText(1).contains("Certified radius: 0.001")) << plot->rootText(1).toStdString();
    // At 100000 figures the tooltip cuts each part at 20 figures; the output has them all.
    result.options.shownFigures = 100000;
    result.roots[0].root = fpComplex(fp(1.0) / fp(3.0), fp(-2.0) / fp(3.0));
    s.window->setResult(result);
    EXPECT_EQ(plot->rootText(0).section('\n', 0, 0), "Root 1: 0.33333333333333333333… , -0.66666666666666666667…");
    EXPECT_EQ(plot->rootText(1).section('\n', 0, 0), "Root 2: -1 , 0") << "nothing cut, no …";
}

TEST(Window, ClickingAPointOrPressingNOrPSelectsItsLineAndALineHighlightsItsPoint) {
    Shown s;
    s.find("x^3-8");
    RootPlot* plot = s.window->plot();
    ASSERT_EQ(plot->points().size(), 3u);
    for (int k : {2, 0, 1}) {
        QTest::mouseClick(plot, Qt::LeftButton, {}, plot->toWidget(plot->points()[std::size_t(k)]).toPoint());
        QTextCursor const cursor = s.output->textCursor();
        EXPECT_EQ(cursor.blockNumber(), 2 * k);
        EXPECT_EQ(cursor.selectedText(), s.output->document()->findBlockByNumber(2 * k).text());
        EXPECT_EQ(plot->highlighted(), k);
    }
    // The value line of root 2 (after the three roots and "Polynomial(root):").
    QTextCursor cursor(s.output->document()->findBlockByNumber(7 + 2 * 2));
    s.output->setTextCursor(cursor);
    EXPECT_EQ(plot->highlighted(), 2);
    s.output->setTextCursor(QTextCursor(s.output->document()->findBlockByNumber(6)));
    EXPECT_EQ(plot->highlighted(), -1);
    // n and p step through the roots from the plot, around at the ends.
    plot->setFocus();
    for (auto [key, k] : {std::pair{Qt::Key_N, 0}, {Qt::Key_N, 1}, {Qt::Key_P, 0}, {Qt::Key_P, 2}}) {
        QTest::keyClick(plot, key);
        EXPECT_EQ(plot->highlighted(), k);
        EXPECT_EQ(s.output->textCursor().blockNumber(), 2 * k);
    }
}

TEST(Window, SavesThePlotAtTheSizeAskedAndTheOutputAsTextOrSaysTheSystemsReason) {
    Shown s;
    s.find("x^5-1");
    QString const png = scratch().filePath("roots.png"), svg = scratch().filePath("roots.svg");
    ASSERT_TRUE(s.window->plot()->save(png));
    EXPECT_EQ(QImage(png).size(), s.window->plot()->size());
    ASSERT_TRUE(s.window->plot()->save(png, QSize(900, 500)));
    QImage const image(png);
    EXPECT_EQ(image.size(), QSize(900, 500));
    ASSERT_TRUE(s.window->plot()->save(svg, QSize(700, 600)));
    QSvgRenderer const drawing(svg);
    EXPECT_TRUE(drawing.isValid());
    EXPECT_EQ(drawing.viewBox(), QRect(0, 0, 700, 600));
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svgFile.readAll().contains("<svg"));

    QString const text = scratch().filePath("roots.txt");
    ASSERT_TRUE(s.window->saveOutput(text));
    QFile saved(text);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_TRUE(QString::fromUtf8(saved.readAll()).endsWith("\n\n" + s.output->toPlainText()));
    EXPECT_TRUE(s.window->openPolynomial(text)) << "any text file opens";

    QString why;
    EXPECT_FALSE(s.window->saveOutput(scratch().filePath("no/such/folder/roots.txt"), &why));
    EXPECT_EQ(why, "No such file or directory");
    why.clear();
    EXPECT_FALSE(s.window->plot()->save(scratch().filePath("no/such/folder/roots.png"), {}, &why));
    EXPECT_EQ(why, "No such file or directory");
}

TEST(Window, AboutNamesTheLicenceAndQtsVersionAndOffersAboutQt) {
    Shown s;
    std::unique_ptr<QMessageBox> about(s.window->aboutBox());
    EXPECT_TRUE(about->text().contains("Licence: ")) << about->text().toStdString();
    EXPECT_TRUE(about->text().contains(QString("running with Qt ") + qVersion())) << about->text().toStdString();
    auto* aboutQt = about->findChild<QPushButton*>("aboutQt");
    ASSERT_NE(aboutQt, nullptr);
    EXPECT_EQ(aboutQt->text(), "About &Qt");
}

// Each stop of the Tab chain, reached with Tab, looks different from how it
// looked without the focus.
TEST(Window, EveryFocusStopShowsItsFocus) {
    Shown s;
    s.find("x^3-1");
    s.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window.get()));
    s.input->setFocus();
    std::set<QWidget*> seen;
    for (int k = 0; k < 30; ++k) {
        QWidget* const from = QApplication::focusWidget();
        ASSERT_NE(from, nullptr);
        QWidget* next = from->nextInFocusChain();
        while (!(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
            next = next->nextInFocusChain();
        QImage const without = next->grab().toImage();
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget* const stop = QApplication::focusWidget();
        if (!seen.insert(stop).second) break;
        EXPECT_NE(stop->grab().toImage(), without)
            << stop->objectName().toStdString() << " " << stop->metaObject()->className() << " shows no focus";
    }
    EXPECT_GE(seen.size(), 10u);
    EXPECT_TRUE(seen.count(s.window->findButton()) && seen.count(s.window->plot()));
}

// At its smallest the window keeps the input usable: lines to type on, and
// room for a long term.
TEST(Window, AtTheSmallestSizeTheInputStaysUsable) {
    Shown s;
    s.window->resize(s.window->minimumSizeHint());
    QApplication::processEvents();
    int const line = s.input->fontMetrics().lineSpacing();
    EXPECT_GE(s.input->viewport()->height(), 6 * line) << s.input->viewport()->height();
    EXPECT_GE(s.input->viewport()->width(), s.input->fontMetrics().horizontalAdvance("x^12 - (3-2i)x^5 + 1")) << s.input->viewport()->width();
    EXPECT_LT(s.window->minimumSizeHint().height(), 600);
    EXPECT_LT(s.window->minimumSizeHint().width(), 1000);
}

TEST(Window, SettingsComeBackInTheNextWindow) {
    Shown s;
    s.window->setExternalFigures(20);
    s.window->setInternalFigures(90);
    s.window->findChild<QWidget*>("myRadio")->findChildren<QRadioButton*>()[1]->click();
    s.window->findChild<QCheckBox*>("certifyFigures")->setChecked(false);
    s.window->findChild<QCheckBox*>("showErrorBounds")->setChecked(true);
    s.input->setPlainText("x^3-2x+5");
    s.window->resize(1000, 700);
    s.window->close();  // writes the settings

    KorvelMainWindow next;
    EXPECT_EQ(next.externalFigures(), 20);
    EXPECT_EQ(next.internalFigures(), 90);
    EXPECT_EQ(next.selectedRow(), 1);
    EXPECT_FALSE(next.certifyFigures());
    EXPECT_TRUE(next.showErrorBounds());
    EXPECT_EQ(next.inputText(), "x^3-2x+5");
    EXPECT_EQ(next.size(), QSize(1000, 700));
}

TEST(Window, ReadAsLineFollowsTheTyping) {
    Shown s;
    auto* readAs = s.window->findChild<QLabel*>("LabelReadAs");
    QTest::keyClicks(s.input, "x^2-(0,1)");
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAs->text() == "Read as: x^2 + i (degree 2)"; }, 5000))
        << readAs->text().toStdString();
    s.input->setPlainText("x*x-1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAs->text().startsWith("Read as: 2x - 1"); }, 5000))
        << readAs->text().toStdString();
}

// The README's picture: ((x-1)^12 - 10^-180 i)(x+1)^2 at 16 figures carried,
// a double root at -1 beside twelve roots that stay uncertain, and the warning.
TEST(Window, Screenshot) {
    Shown s;
    s.window->resize(1240, 640);
    s.window->setInternalFigures(16);
    s.find("1\n-10\n43\n-100\n121\n-22\n-165\n264\n-165\n-22\n121\n-100\n(43,-1e-180)\n(-10,-2e-180)\n(1,-1e-180)");
    ASSERT_EQ(s.window->plot()->points().size(), 14u);
    EXPECT_TRUE(s.window->findChild<QLabel*>("LabelStatus")->text().contains("Not every figure shown is certain"));
    auto* readAs = s.window->findChild<QLabel*>("LabelReadAs");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !readAs->text().isEmpty(); }, 5000));
    QTest::mouseClick(s.window->plot(), Qt::LeftButton, {}, s.window->plot()->toWidget(s.window->plot()->points()[13]).toPoint());
    QTest::qWait(200);  // the layouts settle
    QString const path = QString(KORVEL_SCREENSHOT_DIR) + "/korvel-window.png";
    EXPECT_TRUE(s.window->grab().save(path)) << path.toStdString();
}

}  // namespace
}  // namespace korvel
