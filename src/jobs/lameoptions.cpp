#include "lameoptions.h"

#include <QCoreApplication>
#include <QHash>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("LameOptions", text);
}

// Why an option is refused; Accept lets it through.
enum class TVerdict : quint8 {
    Accept,
    Files,      // lame would read or write other files
    Batch,      // works on several files at once
    Mode,       // the run's mode decides
    Raw,        // belongs to raw PCM input
    InputKind,  // says what kind of file the input is
    Progress,   // hides or changes the progress Tessary reads
    Tags,       // the tag editor sets the tags
    Exits,      // lame prints something and ends
    Channels,   // the panel's fields, one reason each
    Quality,
    Method,
    Preset,
    Frequency,
    Filters,
    Flags,
    FreeFormat,
};

QString Reason(TVerdict v)
{
    switch (v) {
    case TVerdict::Accept: break;
    case TVerdict::Files: return Tr("входной и выходной файлы задаёт Tessary");
    case TVerdict::Batch:
        return Tr("обрабатывает сразу несколько файлов, а Tessary даёт lame по одному");
    case TVerdict::Mode: return Tr("режим (сжатие или декодирование) выбирается в главном окне");
    case TVerdict::Raw: return Tr("относится к сырому PCM на входе, а Tessary подаёт lame WAV");
    case TVerdict::InputKind: return Tr("вид входного файла определяет Tessary");
    case TVerdict::Progress: return Tr("скрыл бы ход работы, который показывает Tessary");
    case TVerdict::Tags: return Tr("теги задаются в редакторе тегов Tessary");
    case TVerdict::Exits: return Tr("lame только выведет сведения и завершится, ничего не сжав");
    case TVerdict::Channels: return Tr("задаётся на панели: «Режим»");
    case TVerdict::Quality: return Tr("задаётся на панели: «Качество»");
    case TVerdict::Method: return Tr("задаётся на панели: «Метод» и «Битрейт»");
    case TVerdict::Preset: return Tr("заменил бы настройки панели: выберите «Профиль:»");
    case TVerdict::Frequency: return Tr("задаётся на панели: «Частота»");
    case TVerdict::Filters: return Tr("задаётся на панели: «Обрабатывать все частоты»");
    case TVerdict::Flags: return Tr("задаётся на панели: «Прочее»");
    case TVerdict::FreeFormat:
        return Tr("файл свободного формата Tessary не может проверить, и многие проигрыватели "
                  "его не читают");
    }
    return QString();
}

struct TOption
{
    bool value = false; // takes the next argument (or, short, the rest of its own)
    TVerdict verdict = TVerdict::Accept;
};

// lame 3.100's options, as "lame --longhelp" and its manual page list them.
// Long names are kept in lower case: lame compares them without case.
const QHash<QString, TOption>& LongOptions()
{
    using V = TVerdict;
    static const QHash<QString, TOption> table = {
        // Input
        {QStringLiteral("scale"), {true, V::Accept}},
        {QStringLiteral("scale-l"), {true, V::Accept}},
        {QStringLiteral("scale-r"), {true, V::Accept}},
        {QStringLiteral("swap-channel"), {false, V::Accept}},
        {QStringLiteral("ignorelength"), {false, V::Accept}},
        {QStringLiteral("gain"), {true, V::Accept}},
        {QStringLiteral("mp1input"), {false, V::InputKind}},
        {QStringLiteral("mp2input"), {false, V::InputKind}},
        {QStringLiteral("mp3input"), {false, V::InputKind}},
        {QStringLiteral("nogap"), {false, V::Batch}},
        {QStringLiteral("nogapout"), {true, V::Batch}},
        {QStringLiteral("nogaptags"), {false, V::Batch}},
        {QStringLiteral("out-dir"), {true, V::Files}},
        // Raw PCM input
        {QStringLiteral("signed"), {false, V::Raw}},
        {QStringLiteral("unsigned"), {false, V::Raw}},
        {QStringLiteral("bitwidth"), {true, V::Raw}},
        {QStringLiteral("little-endian"), {false, V::Raw}},
        {QStringLiteral("big-endian"), {false, V::Raw}},
        // Operation
        {QStringLiteral("preset"), {true, V::Preset}},
        {QStringLiteral("comp"), {true, V::Method}},
        {QStringLiteral("replaygain-fast"), {false, V::Accept}},
        {QStringLiteral("replaygain-accurate"), {false, V::Accept}},
        {QStringLiteral("noreplaygain"), {false, V::Accept}},
        {QStringLiteral("clipdetect"), {false, V::Accept}},
        {QStringLiteral("flush"), {false, V::Accept}},
        {QStringLiteral("freeformat"), {false, V::FreeFormat}},
        {QStringLiteral("decode"), {false, V::Mode}},
        {QStringLiteral("noasm"), {true, V::Accept}},
        // Verbosity
        {QStringLiteral("disptime"), {true, V::Progress}},
        {QStringLiteral("nohist"), {false, V::Accept}},
        {QStringLiteral("quiet"), {false, V::Progress}},
        {QStringLiteral("silent"), {false, V::Progress}},
        {QStringLiteral("brief"), {false, V::Accept}},
        {QStringLiteral("verbose"), {false, V::Accept}},
        // Bitrate methods
        {QStringLiteral("cbr"), {false, V::Method}},
        {QStringLiteral("abr"), {true, V::Method}},
        {QStringLiteral("vbr-old"), {false, V::Method}},
        {QStringLiteral("vbr-new"), {false, V::Method}},
        // Stream
        {QStringLiteral("nores"), {false, V::Accept}},
        {QStringLiteral("strictly-enforce-iso"), {false, V::Accept}},
        {QStringLiteral("buffer-constraint"), {true, V::Accept}},
        // Filters
        {QStringLiteral("lowpass"), {true, V::Accept}},
        {QStringLiteral("lowpass-width"), {true, V::Accept}},
        {QStringLiteral("highpass"), {true, V::Accept}},
        {QStringLiteral("highpass-width"), {true, V::Accept}},
        {QStringLiteral("resample"), {true, V::Frequency}},
        // Tags
        {QStringLiteral("tt"), {true, V::Tags}},
        {QStringLiteral("ta"), {true, V::Tags}},
        {QStringLiteral("tl"), {true, V::Tags}},
        {QStringLiteral("ty"), {true, V::Tags}},
        {QStringLiteral("tc"), {true, V::Tags}},
        {QStringLiteral("tn"), {true, V::Tags}},
        {QStringLiteral("tg"), {true, V::Tags}},
        {QStringLiteral("ti"), {true, V::Tags}},
        {QStringLiteral("tv"), {true, V::Tags}},
        {QStringLiteral("add-id3v2"), {false, V::Tags}},
        {QStringLiteral("id3v1-only"), {false, V::Tags}},
        {QStringLiteral("id3v2-only"), {false, V::Tags}},
        {QStringLiteral("id3v2-utf16"), {false, V::Tags}},
        {QStringLiteral("id3v2-latin1"), {false, V::Tags}},
        {QStringLiteral("space-id3v1"), {false, V::Tags}},
        {QStringLiteral("pad-id3v2"), {false, V::Tags}},
        {QStringLiteral("pad-id3v2-size"), {true, V::Tags}},
        {QStringLiteral("ignore-tag-errors"), {false, V::Tags}},
        {QStringLiteral("genre-list"), {false, V::Exits}},
        // Information
        {QStringLiteral("help"), {false, V::Exits}},
        {QStringLiteral("usage"), {false, V::Exits}},
        {QStringLiteral("longhelp"), {false, V::Exits}},
        {QStringLiteral("version"), {false, V::Exits}},
        {QStringLiteral("license"), {false, V::Exits}},
    };
    return table;
}

// Short options are single letters and, unlike the long ones, case-sensitive.
const QHash<QChar, TOption>& ShortOptions()
{
    using V = TVerdict;
    static const QHash<QChar, TOption> table = {
        {u'r', {false, V::Raw}},       {u's', {true, V::Raw}},
        {u'x', {false, V::Raw}},       {u'a', {false, V::Accept}},
        {u'm', {true, V::Channels}},   {u't', {false, V::Accept}},
        {u'S', {false, V::Progress}},  {u'q', {true, V::Quality}},
        {u'h', {false, V::Quality}},   {u'f', {false, V::Quality}},
        {u'b', {true, V::Method}},     {u'B', {true, V::Method}},
        {u'V', {true, V::Method}},     {u'v', {false, V::Method}},
        {u'Y', {false, V::Accept}},    {u'F', {false, V::Accept}},
        {u'T', {false, V::Accept}},    {u'X', {true, V::Accept}},
        {u'e', {true, V::Accept}},     {u'c', {false, V::Flags}},
        {u'o', {false, V::Flags}},     {u'p', {false, V::Flags}},
        {u'k', {false, V::Filters}},   {u'?', {false, V::Exits}},
    };
    return table;
}

QString Refused(const QString& option, const QString& reason)
{
    return Tr("Параметр LAME «%1» не принят: %2.").arg(option, reason);
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

namespace LameOptions {

std::optional<QStringList> Split(const QString& text, QString* error)
{
    QStringList out;
    QString word;
    bool inWord = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (IsBlank(c)) {
            if (inWord)
                out << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            if (++i >= n) {
                if (error)
                    *error = Tr("обратная косая черта в конце строки");
                return std::nullopt;
            }
            word += text[i];
        } else if (c == u'\'') {
            const qsizetype end = text.indexOf(u'\'', i + 1);
            if (end < 0) {
                if (error)
                    *error = Tr("не закрыта одинарная кавычка");
                return std::nullopt;
            }
            word += text.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            bool closed = false;
            for (++i; i < n; ++i) {
                const QChar d = text[i];
                if (d == u'"') {
                    closed = true;
                    break;
                }
                if (d == u'\\' && i + 1 < n && (text[i + 1] == u'"' || text[i + 1] == u'\\'))
                    ++i;
                word += text[i];
            }
            if (!closed) {
                if (error)
                    *error = Tr("не закрыта двойная кавычка");
                return std::nullopt;
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        out << word;
    return out;
}

QString CheckArguments(const QStringList& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        // "-" is standard input or output, anything without a dash a file.
        if (arg.size() < 2 || arg[0] != u'-')
            return Refused(arg, Reason(TVerdict::Files));
        if (arg.startsWith(QStringLiteral("--"))) {
            const auto it = LongOptions().constFind(arg.mid(2).toLower());
            if (it == LongOptions().cend())
                return Refused(arg, Tr("такого параметра у lame нет"));
            if (it->verdict != TVerdict::Accept)
                return Refused(arg, Reason(it->verdict));
            if (it->value && ++i >= arguments.size())
                return Refused(arg, Tr("не хватает его значения"));
            continue;
        }
        // A group of letters, as lame reads "-cp": each one an option, and
        // one that takes a value takes the rest of the group, or the next
        // argument when nothing follows it.
        for (qsizetype k = 1; k < arg.size(); ++k) {
            const QString option = u'-' + arg[k];
            const auto it = ShortOptions().constFind(arg[k]);
            if (it == ShortOptions().cend())
                return Refused(option, Tr("такого параметра у lame нет"));
            if (it->verdict != TVerdict::Accept)
                return Refused(option, Reason(it->verdict));
            if (!it->value)
                continue;
            if (k + 1 == arg.size() && ++i >= arguments.size())
                return Refused(option, Tr("не хватает его значения"));
            break;
        }
    }
    return QString();
}

QString Problem(const QString& text)
{
    if (text.size() > MaxLength)
        return Tr("Дополнительные параметры LAME длиннее %1 знаков.").arg(MaxLength);
    for (const QChar c : text) {
        if (c != u'\t' && c.category() == QChar::Other_Control)
            return Tr("Дополнительные параметры LAME: управляющие символы не допускаются.");
    }
    QString error;
    const std::optional<QStringList> args = Split(text, &error);
    if (!args)
        return Tr("Дополнительные параметры LAME: %1.").arg(error);
    return CheckArguments(*args);
}

QStringList Arguments(const QString& text)
{
    if (!Problem(text).isEmpty())
        return {};
    return Split(text).value_or(QStringList());
}

QString Shown(const QString& argument)
{
    const bool plain = !argument.isEmpty() && std::none_of(argument.cbegin(), argument.cend(), [](QChar c) {
        return IsBlank(c) || c == u'"' || c == u'\'' || c == u'\\';
    });
    if (plain)
        return argument;
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

} // namespace LameOptions
