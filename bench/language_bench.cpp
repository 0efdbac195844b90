// Loading a language file of 3,000 keys (each with a text, a placeholder and a tooltip), as the
// program does at every start: prints the median of the repetitions and the target (20 ms); it
// asserts nothing.
//
//   language_bench [keys] [repetitions]        (default 3000 and 21)

#include "i18n/TextLookup.h"
#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
    constexpr double TargetMs = 20.0;

    QTemporaryDir folder;
    QByteArray contents;
    for (int i = 0; i < keys; ++i) {
        const QByteArray n = QByteArray::number(i);
        contents += QByteArray::number(10000 + i) + "=Text number " + n + " with %1 placeholder|Tooltip " + n + "\r\n";
    }
    QFile file(folder.filePath(QStringLiteral("Bench.lang")));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "language_bench: cannot write the language file in %s\n", qPrintable(folder.path()));
        return 1;
    }
    file.close();
    // The program reads its language files from its own folder.
    SetProgramFolderForTests(folder.path());

    std::vector<double> ms;
    QString last;
    for (int r = 0; r < repetitions; ++r) {
        QElapsedTimer timer;
        timer.start();
        const clsLocalizeControls texts(QStringLiteral("Bench"));
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        last = texts.FormatMsg(QString::number(10000 + keys - 1), {QStringLiteral("a")});
    }
    std::sort(ms.begin(), ms.end());
    std::printf("language file of %d keys: median %.2f ms over %d loads (target %.0f ms); last key reads \"%s\"\n", keys,
                ms[ms.size() / 2], repetitions, TargetMs, qPrintable(last));
    return 0;
}
