#include "highdpi.h"
#include "mainwindow.h"
#include "stylesheets.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    enableHighDpiScaling();
    QApplication app(argc, argv);
    app.setStyleSheet(QString::fromLatin1(StyleSheets::application));
    MainWindow window;
    window.resize(1000, 800);
    window.show();
    return app.exec();
}
