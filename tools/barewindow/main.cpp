// The smallest window Qt shows: one label. What the tool's start-up is measured against
// (scripts/benchmark.sh).
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("ZRT48210"));
    label.setWindowTitle(QStringLiteral("zrt-barewindow"));
    label.show();
    return QApplication::exec();
}
