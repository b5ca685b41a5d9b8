#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <new>

#include "app/qt/korvel_window.h"

int main(int argc, char** argv) {
    try {
        QApplication application(argc, argv);
        // The icon the package installs into the hicolor theme.
        QApplication::setWindowIcon(QIcon::fromTheme("korvel"));
        korvel::KorvelMainWindow window;
        window.show();
        return QApplication::exec();
    } catch (std::bad_alloc const&) {
        std::fputs("korvel: not enough memory\n", stderr);
        return 1;
    }
}
