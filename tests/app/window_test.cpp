// The real window, offscreen: type, switch the radio row, press, read.
#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/qt/korvel_window.h"

namespace korvel {
namespace {

TEST(Window, FindsRootsAndSavesAScreenshot) {
    int argc = 1;
    char name[] = "window_test";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    KorvelMainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (char const* outlet : {"TextFieldSFext", "TextFieldSFint", "TextFieldTime", "TextViewCoeffs", "TextViewRoots", "myRadio"})
        EXPECT_NE(window.findChild<QWidget*>(outlet), nullptr) << outlet;

    auto* input = window.findChild<QPlainTextEdit*>("TextViewCoeffs");
    auto* output = window.findChild<QPlainTextEdit*>("TextViewRoots");
    auto* time = window.findChild<QLineEdit*>("TextFieldTime");
    QTest::keyClicks(input, "x^2+1");
    QTest::mouseClick(window.findButton(), Qt::LeftButton);
    EXPECT_TRUE(output->toPlainText().startsWith("0 , 1\n\n0 , -1\n\nPolynomial(root):")) << output->toPlainText().toStdString();
    EXPECT_FALSE(time->text().isEmpty());

    auto searches = window.findChild<QWidget*>("searchChoice")->findChildren<QRadioButton*>();
    ASSERT_EQ(searches.size(), 2);
    EXPECT_FALSE(window.fullPrecisionSearch()) << "staged by default";
    searches[1]->click();  // the full-precision search, which leaves residue off the axis
    EXPECT_TRUE(window.fullPrecisionSearch());
    QTest::mouseClick(window.findButton(), Qt::LeftButton);
    EXPECT_TRUE(output->toPlainText().startsWith("0 , 1\n\n0 , -1\n\nPolynomial(root):"));

    auto radios = window.findChild<QWidget*>("myRadio")->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    radios[1]->click();  // keep the roots as found
    EXPECT_EQ(window.selectedRow(), 1);
    QTest::mouseClick(window.findButton(), Qt::LeftButton);
    EXPECT_FALSE(output->toPlainText().startsWith("0 , 1\n")) << "the tiny real parts stay";

    radios[0]->click();
    searches[0]->click();
    input->setPlainText("3x^2-x+(1,2)");
    QTest::mouseClick(window.findButton(), Qt::LeftButton);
    EXPECT_TRUE(output->toPlainText().contains("Polynomial(root):"));
    QString const path = QString(KORVEL_SCREENSHOT_DIR) + "/korvel-window.png";
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}

}  // namespace
}  // namespace korvel
