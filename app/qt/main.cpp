#include <QApplication>

#include <cstdio>
#include <new>

#include "app/qt/korvel_window.h"

int main(int argc, char** argv) {
    try {
        QApplication application(argc, argv);
        korvel::KorvelMainWindow window;
        window.show();
        return QApplication::exec();
    } catch (std::bad_alloc const&) {
        std::fputs("korvel: not enough memory\n", stderr);
        return 1;
    }
}
