#include "regfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>

namespace {

// A settings file is a few kilobytes; anything far larger is not ours and is
// not read at all (the key then looks empty).
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

const QString kHeader4 = QStringLiteral("REGEDIT4");
const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");

QByteArray Utf16Data(const QString& text)
{
    QByteArray data(qsizetype(text.size() + 1) * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian(text.at(i).unicode(), data.data() + 2 * i);
    return data;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<quint32> ParseHex(QStringView s, int maxDigits)
{
    if (s.isEmpty() || s.size() > maxDigits)
        return std::nullopt;
    quint32 n = 0;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        quint32 d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return std::nullopt;
        n = n << 4 | d;
    }
    return n;
}

// A quoted text starting at s[start] == '"', with \\ and \" escapes. Returns
// the text and the position after the closing quote.
std::optional<std::pair<QString, qsizetype>> Unquote(QStringView s, qsizetype start)
{
    if (start >= s.size() || s.at(start) != u'"')
        return std::nullopt;
    QString out;
    for (qsizetype i = start + 1; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'"')
            return std::pair{out, i + 1};
        if (c == u'\\' && i + 1 < s.size()) {
            const QChar next = s.at(++i);
            // regedit escapes only these two; keep any other backslash as typed
            if (next != u'\\' && next != u'"')
                out += u'\\';
            out += next;
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

QString Quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

std::optional<QByteArray> ParseHexBytes(QStringView list)
{
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (const QStringView item : list.tokenize(u',')) {
        const auto b = ParseHex(item.trimmed(), 2);
        if (!b)
            return std::nullopt;
        bytes.append(char(*b));
    }
    return bytes;
}

QString FormatHexBytes(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += u',';
        out += QString::number(quint8(bytes.at(i)), 16).rightJustified(2, u'0');
    }
    return out;
}

// The data part of a value line ("dword:...", "\"...\"", "hex(N):..."). What
// does not parse is a value of another type with no data.
TRegValue ParseData(QStringView data)
{
    TRegValue v;
    if (data.startsWith(u'"')) {
        const auto q = Unquote(data, 0);
        if (q && data.mid(q->second).trimmed().isEmpty())
            v = TRegValue::String(q->first);
    } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        // Exactly 8 digits, so a file cut off inside a number does not load
        // a different number.
        const QStringView digits = data.mid(6).trimmed();
        const auto n = ParseHex(digits, 8);
        if (n && digits.size() == 8)
            v = TRegValue::Dword(*n);
    } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
        QStringView rest = data.mid(3);
        std::optional<quint32> type = 3; // plain "hex:" is binary data
        if (rest.startsWith(u'(')) {
            const qsizetype close = rest.indexOf(u')');
            type = close < 0 ? std::nullopt : ParseHex(rest.mid(1, close - 1), 8);
            rest = close < 0 ? QStringView() : rest.mid(close + 1);
        }
        if (type && rest.startsWith(u':')) {
            if (const auto bytes = ParseHexBytes(rest.mid(1))) {
                v.Type = *type == 2 ? TRegType::ExpandString : TRegType::Other;
                v.Data = *bytes;
            }
        }
    }
    return v;
}

QString FormatData(const TRegValue& v)
{
    switch (v.Type) {
    case TRegType::Dword:
        if (v.Data.size() == 4)
            return QStringLiteral("dword:%1")
                .arg(qFromLittleEndian<quint32>(v.Data.constData()), 8, 16, QChar(u'0'));
        return QStringLiteral("hex(4):") + FormatHexBytes(v.Data);
    case TRegType::String: {
        // A quoted string cannot span lines. Text with a line break (a
        // folder name may hold one) is written as an expandable string,
        // which every string read takes back unchanged.
        const QString text = v.Text();
        if (!text.contains(u'\n') && !text.contains(u'\r'))
            return Quote(text);
        return QStringLiteral("hex(2):") + FormatHexBytes(Utf16Data(text));
    }
    case TRegType::ExpandString:
        return QStringLiteral("hex(2):") + FormatHexBytes(v.Data);
    case TRegType::Other:
        break;
    }
    return QStringLiteral("hex:") + FormatHexBytes(v.Data);
}

// A key stored as a registry-export file. The file is read once when the key
// is opened; Close() writes a complete new file and renames it over the old
// one, so a reader never sees a half-written file. Only this key's values are
// kept: comments and other keys in a hand-edited file are dropped on save.
class TRegFileKey final : public TRegKey
{
public:
    TRegFileKey(const QString& filePath, const QString& keyName);
    ~TRegFileKey() override { Close(); }

    bool IsWritable() const override { return m_writable && !m_closed; }
    std::optional<TRegValue> Query(const QString& name) const override;
    bool Set(const QString& name, const TRegValue& value) override;
    bool Remove(const QString& name) override;
    bool Close() override;

private:
    struct Entry
    {
        QString Name;
        TRegValue Value;
        QString Text; // the data as read, written back unchanged; empty once set
    };

    void Read();
    void Parse(QStringView text);
    void Put(const QString& name, const TRegValue& value, const QString& text);
    bool Write() const;

    QString m_path;
    QString m_keyName;
    bool m_writable = false;
    bool m_dirty = false;
    bool m_closed = false;
    QList<Entry> m_entries;
    QHash<QString, qsizetype> m_index; // case-folded name -> entry
};

TRegFileKey::TRegFileKey(const QString& filePath, const QString& keyName)
    : m_path(filePath), m_keyName(keyName)
{
    if (m_path.isEmpty())
        return;
    // Creating the key means creating its folder. A folder that exists but
    // cannot be written still lets the stored values be read.
    const QString folder = QFileInfo(m_path).absolutePath();
    m_writable = QDir().mkpath(folder) && QFileInfo(folder).isDir()
        && QFileInfo(folder).isWritable();
    Read();
}

void TRegFileKey::Read()
{
    // Only regular files: opening a FIFO or device planted there could block
    // or never end.
    const QFileInfo info(m_path);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // In pieces: read(kMaxFileSize + 1) would take 4 MiB for every open,
    // and the file may have grown since it was measured.
    QByteArray bytes;
    while (bytes.size() <= kMaxFileSize) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > kMaxFileSize)
        return;
    // regedit writes version 5 files in UTF-16LE with a byte order mark.
    const bool utf16 = bytes.startsWith("\xff\xfe");
    QStringDecoder decode(utf16 ? QStringDecoder::Utf16LE : QStringDecoder::Utf8);
    Parse(QString(decode(bytes)));
}

void TRegFileKey::Parse(QStringView text)
{
    qsizetype pos = 0;
    auto nextLine = [&](QStringView& line) {
        if (pos > text.size())
            return false;
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = text.size();
        line = text.mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        return true;
    };

    QStringView line;
    if (!nextLine(line))
        return;
    const QStringView header = line.trimmed();
    if (header.compare(kHeader4, Qt::CaseInsensitive) != 0
        && header.compare(kHeader5, Qt::CaseInsensitive) != 0)
        return;

    const QString ownSection = u'[' + m_keyName + u']';
    bool inOwnKey = false;
    while (nextLine(line)) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            inOwnKey = line.compare(ownSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inOwnKey)
            continue;

        QString name;
        qsizetype i = 0;
        if (line.startsWith(u'@')) { // the key's unnamed value
            i = 1;
        } else if (const auto q = Unquote(line, 0)) {
            name = q->first;
            i = q->second;
        } else {
            continue;
        }
        QStringView rest = line.mid(i).trimmed();
        if (!rest.startsWith(u'='))
            continue;
        QString data = rest.mid(1).trimmed().toString();
        // regedit wraps long hex data: a trailing "\" continues the line.
        // Nothing else wraps, and joining a broken line of another kind
        // would swallow the value on the next line.
        if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            QStringView more;
            while (data.endsWith(u'\\') && nextLine(more)) {
                data.chop(1);
                data += more.trimmed();
            }
        }
        Put(name, ParseData(data), data);
    }
}

void TRegFileKey::Put(const QString& name, const TRegValue& value, const QString& text)
{
    const QString folded = name.toCaseFolded();
    const auto it = m_index.constFind(folded);
    if (it != m_index.cend()) {
        m_entries[*it] = Entry{name, value, text};
        return;
    }
    m_index.insert(folded, m_entries.size());
    m_entries.append(Entry{name, value, text});
}

std::optional<TRegValue> TRegFileKey::Query(const QString& name) const
{
    const auto it = m_index.constFind(name.toCaseFolded());
    if (it == m_index.cend())
        return std::nullopt;
    return m_entries.at(*it).Value;
}

bool TRegFileKey::Set(const QString& name, const TRegValue& value)
{
    if (!IsWritable())
        return false;
    Put(name, value, QString());
    m_dirty = true;
    return true;
}

bool TRegFileKey::Remove(const QString& name)
{
    if (!IsWritable())
        return false;
    const auto it = m_index.constFind(name.toCaseFolded());
    if (it == m_index.cend())
        return true;
    m_entries.removeAt(*it);
    m_index.clear();
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_index.insert(m_entries.at(i).Name.toCaseFolded(), i);
    m_dirty = true;
    return true;
}

bool TRegFileKey::Close()
{
    if (m_closed)
        return true;
    m_closed = true;
    return !m_dirty || Write();
}

bool TRegFileKey::Write() const
{
    QString text = kHeader4 + QStringLiteral("\n\n[") + m_keyName + QStringLiteral("]\n");
    for (const Entry& e : m_entries) {
        text += e.Name.isEmpty() ? QStringLiteral("@") : Quote(e.Name);
        text += u'=';
        text += e.Text.isEmpty() ? FormatData(e.Value) : e.Text;
        text += u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

TRegValue TRegValue::Dword(quint32 number)
{
    QByteArray data(4, '\0');
    qToLittleEndian(number, data.data());
    return {TRegType::Dword, data};
}

TRegValue TRegValue::String(const QString& text)
{
    return {TRegType::String, Utf16Data(text)};
}

TRegValue TRegValue::ExpandString(const QString& text)
{
    return {TRegType::ExpandString, Utf16Data(text)};
}

QString TRegValue::Text() const
{
    QString text;
    text.reserve(Data.size() / 2);
    for (qsizetype i = 0; i + 1 < Data.size(); i += 2) {
        const char16_t c = qFromLittleEndian<char16_t>(Data.constData() + i);
        if (c == 0)
            break;
        text += QChar(c);
    }
    return text;
}

std::unique_ptr<TRegKey> OpenUserKey(const QString& subKey)
{
    QStringList parts = subKey.split(u'\\', Qt::SkipEmptyParts);
    const QString keyName = QStringLiteral("HKEY_CURRENT_USER\\") + parts.join(u'\\');
    if (!parts.isEmpty() && parts.first().compare(u"SOFTWARE", Qt::CaseInsensitive) == 0)
        parts.removeFirst();

    QString path;
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const bool safe = std::none_of(parts.cbegin(), parts.cend(), [](const QString& p) {
        return p == u"." || p == u".." || p.contains(u'/');
    });
    if (!root.isEmpty() && !parts.isEmpty() && safe)
        path = root + u'/' + parts.join(u'/') + QStringLiteral(".reg");
    return std::make_unique<TRegFileKey>(path, keyName);
}

std::unique_ptr<TRegKey> OpenKeyFile(const QString& filePath, const QString& subKey)
{
    const QStringList parts = subKey.split(u'\\', Qt::SkipEmptyParts);
    return std::make_unique<TRegFileKey>(filePath,
                                         QStringLiteral("HKEY_CURRENT_USER\\") + parts.join(u'\\'));
}
