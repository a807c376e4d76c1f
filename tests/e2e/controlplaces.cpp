// Prints where the control table puts each control of the main window, so that the scripts
// that drive the real program click where the table says, not where a copy of it says.
// One line per control: name, x, y of its centre in pixels. Controls are measured from the
// top-left of the client area, and so are the tabs of a tab control (name_index); menu titles
// and menu items from the top-left of the window, items as their menu drops down under its
// title. Run it on the display the program uses:
// fonts and style decide the width of the menu titles.
#include "fakes/fakechannel.h"
#include "fakes/scriptedprompter.h"
#include "link/link.h"
#include "link/portmap.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

#include <cstdio>

namespace {

void print(const QString &name, const QPoint &at)
{
    std::printf("%s %d %d\n", qPrintable(name), at.x(), at.y());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ScriptedPrompter prompter;
    PortMap ports;
    FakeChannel channel;
    Link link(&channel);
    MainWindow window(&prompter, &ports, &link, QDir::tempPath());
    window.show();
    QApplication::processEvents();

    const QWidget *client = window.centralWidget();
    const auto controls = client->findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        // The tab bar's own scroll buttons are Qt's, not the table's.
        if (control->objectName().isEmpty() || qobject_cast<QTabBar *>(control->parentWidget()))
            continue;
        print(control->objectName(), control->mapTo(client, control->rect().center()));
        if (const auto *tabs = qobject_cast<const QTabWidget *>(control)) {
            const QTabBar *bar = tabs->tabBar();
            for (int i = 0; i < bar->count(); ++i)
                print(tabs->objectName() + QStringLiteral("_%1").arg(i),
                      bar->mapTo(client, bar->tabRect(i).center()));
        }
    }
    const QMenuBar *bar = window.menuBar();
    for (const QAction *title : bar->actions()) {
        const QMenu *menu = title->menu();
        const QRect titleRect = bar->actionGeometry(const_cast<QAction *>(title));
        print(menu->objectName(), bar->mapTo(&window, titleRect.center()));
        const QPoint dropsAt = bar->mapTo(&window, titleRect.bottomLeft()) + QPoint(0, 1);
        for (QAction *item : menu->actions())
            print(item->objectName(), dropsAt + menu->actionGeometry(item).center());
    }
    return 0;
}
