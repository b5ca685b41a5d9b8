#include <QApplication>

#include "app/qt/korvel_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    korvel::KorvelMainWindow window;
    window.show();
    return QApplication::exec();
}
