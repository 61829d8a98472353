// An empty top-level Qt window with the given title: what start-up to a shown window costs
// before the program does anything of its own (the floor of window_bench.sh).
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("empty"));
    window.resize(344, 406);
    window.show();
    return QApplication::exec();
}
