// The window: the six outlets as widgets, a button that runs the controller.
#pragma once

#include <QWidget>

#include "app/korvel.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvel {

class KorvelMainWindow : public QWidget, public KorvelWindow {
public:
    explicit KorvelMainWindow(QWidget* parent = nullptr);

    int selectedRow() const override;
    int internalFigures() const override;
    void setInternalFigures(int figures) override;
    int externalFigures() const override;
    void setExternalFigures(int figures) override;
    std::string inputText() const override;
    void setOutputText(std::string const& text) override;
    void setTimeText(std::string const& text) override;
    void setStatusText(std::string const& text) override;

    QPushButton* findButton() const { return findButton_; }

private:
    QLineEdit* TextFieldSFext;
    QLineEdit* TextFieldSFint;
    QLineEdit* TextFieldTime;
    QPlainTextEdit* TextViewCoeffs;
    QPlainTextEdit* TextViewRoots;
    QLabel* LabelStatus;
    QButtonGroup* myRadio;
    QPushButton* findButton_;
    Korvel controller_;
};

}  // namespace korvel
