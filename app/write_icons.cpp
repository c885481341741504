// Writes the program's icon as the desktop's icon themes want it:
// FOLDER/SIZExSIZE/apps/kestrune.png for each size given.
//
// Usage: write-icons FOLDER SIZE...

#include "app/artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <iostream>

int main(int argc, char** argv) {
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 3) {
        std::cerr << "usage: write-icons FOLDER SIZE...\n";
        return 2;
    }
    for (qsizetype index = 2; index < arguments.size(); ++index) {
        bool number = false;
        const int size = arguments[index].toInt(&number);
        if (!number || size <= 0) {
            std::cerr << "write-icons: not a size: " << arguments[index].toStdString() << '\n';
            return 2;
        }
        const QString folder = QString("%1/%2x%2/apps").arg(arguments[1]).arg(size);
        const QString file = folder + "/kestrune.png";
        if (!QDir().mkpath(folder) || !kestrune::ProgramIconImage(size).save(file, "PNG")) {
            std::cerr << "write-icons: cannot write " << file.toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}
