#include "app/LogoMain.h"
#include "controls/Application.h"

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    if (!StartUp()) return 1;
    const int code = app.exec();
    ShutDown();
    return code;
}
