#include <QApplication>

#include "ZARVApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return CZARVApp().Run();
}
