// Writes the window's help page to the path given, so that an installation can ship it in
// the window's folder, where a user cannot write it.

#include <QFile>

#include <cstdio>

#include "Texts.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH\n", argv[0]);
        return 2;
    }
    QFile page(QString::fromLocal8Bit(argv[1]));
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        page.write(quillory::texts::kHelpPage) != quillory::texts::kHelpPage.size() ||
        !page.flush()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(page.errorString()));
        return 1;
    }
    return 0;
}
