#include "commandline.h"

#include "queuefile.h"
#include "translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

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
           "включая подпапки.")
        + u'\n'
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
