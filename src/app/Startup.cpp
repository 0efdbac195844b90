#include "app/Startup.h"

#include <QCoreApplication>

int RunProgram(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return 0;
}
