#include <QApplication>
#include <QLabel>

#include <cstdio>
#include <cstring>

#include "protocol/Commands.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zonkards %s\n", zk::kVersionText.data());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: zonkards [NAME HOST-ADDRESS true|false]\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QLabel label("Zonkards");
    label.setWindowTitle("Zonkards");
    label.resize(676, 489);
    label.show();
    return app.exec();
}
