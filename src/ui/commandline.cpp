#include "commandline.h"

#include "queuefile.h"
#include "translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace CommandLine {

bool HandleInfo(int argc, char* argv[], int* status)
{
    bool wanted = false;
    for (int i = 1; i < argc && !wanted; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--")
            break;
        wanted = a == "--help" || a == "-h" || a == "--version" || a == "-v";
    }
    if (!wanted)
        return false;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessary"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    Translations::Install(Translations::DesktopLanguage());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("CommandLine", "Tessary — пакетная оболочка для MP3-кодировщика LAME.\n"
           "Указанные WAV-файлы добавляются в очередь; папка добавляет свои WAV-файлы, "
           "включая подпапки.") + u'\n'
        + QCoreApplication::translate("CommandLine", "Без окна: tessary --batch ... и tessary --plan ... "
           "(справка: tessary --batch --help).") + u'\n'
        + QCoreApplication::translate("CommandLine", "Файл очереди (*.tessary-queue) открывается: "
                                                     "его задания добавляются в очередь."));
    parser.addPositionalArgument(QStringLiteral("sources"), QCoreApplication::translate("CommandLine", "WAV-файлы и папки для очереди."),
                                 QCoreApplication::translate("CommandLine", "[ФАЙЛ|ПАПКА]..."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("CommandLine", "Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QCoreApplication::translate("CommandLine", "Показать версию и выйти."));
    parser.addOption(help);
    parser.addOption(version);
    parser.parse(QCoreApplication::arguments());
    const QString text = parser.isSet(version)
                             ? QStringLiteral("tessary %1\n").arg(QStringLiteral(TESSARY_VERSION))
                             : parser.helpText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    *status = 0;
    return true;
}

bool WantsBatch(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--")
            return false;
        if (a == "--batch" || a == "--plan" || a.startsWith("--plan="))
            return true;
    }
    return false;
}

int ExecBatch(int argc, char* argv[])
{
    // /proc/self/exe, not argv[0]: the folder of the binary that runs, also
    // when it was started through a link or from PATH.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    QByteArray program = n > 0 ? QByteArray(self, int(n)) : QByteArray(argv[0]);
    program = program.left(program.lastIndexOf('/') + 1) + "tessary-batch";
    std::vector<char*> args(argv, argv + argc);
    args.push_back(nullptr);
    args[0] = program.data();
    ::execv(program.constData(), args.data());
    const int error = errno;
    QCoreApplication app(argc, argv);
    Translations::Install(Translations::DesktopLanguage());
    std::fputs(qPrintable(QCoreApplication::translate("CommandLine", "tessary: не удалось запустить %1: %2\n")
                              .arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(std::strerror(error)))),
               stderr);
    return 2;
}

QStringList Sources(const QStringList& arguments)
{
    QStringList out;
    bool options = true;
    for (const QString& a : arguments.mid(1)) {
        if (options && a == u"--") {
            options = false;
            continue;
        }
        if (options && a.startsWith(u'-') && a.size() > 1) {
            std::fputs(qPrintable(QCoreApplication::translate("CommandLine", "tessary: неизвестный параметр пропущен: %1\n").arg(a)), stderr);
            continue;
        }
        out << a;
    }
    return out;
}

bool IsQueueFile(const QString& argument)
{
    return argument.endsWith(TQueueFile::Extension()) && QFileInfo(argument).isFile();
}

QString RefusedText(const QString& path)
{
    return QCoreApplication::translate("CommandLine", "tessary: не файл текущего вида и не папка, пропущено: %1").arg(path);
}

} // namespace CommandLine
