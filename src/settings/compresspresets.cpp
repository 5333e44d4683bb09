#include "compresspresets.h"

#include "lameoptions.h"

#include <QCoreApplication>

namespace {

// The profile fields of a set of values, the rest as a new set has them.
TCompressValues ProfileOf(const TCompressValues& v)
{
    TCompressValues p;
    p.Frequency = v.Frequency;
    p.Mode = v.Mode;
    p.Quality = v.Quality;
    p.KeepFreq = v.KeepFreq;
    p.ABitrate = v.ABitrate;
    p.Algorithm = v.Algorithm;
    p.MinBitrate = v.MinBitrate;
    p.MaxBitrate = v.MaxBitrate;
    p.VBRQuality = v.VBRQuality;
    p.VBRNew = v.VBRNew;
    p.ExtraOptions = v.ExtraOptions;
    return p;
}

// LAME's named settings ("lame --preset help"; the VBR ones are what
// "--preset extreme", "standard" and "medium" stand for since LAME 3.98,
// "insane" is CBR 320, "cd" ABR 192), in the panel's own fields: LAME's own
// channel mode and its default quality -q 3.
TCompressPreset Vbr(const char* name, TInterval v)
{
    TCompressPreset p;
    p.Name = QString::fromUtf8(name);
    p.Values.Mode = Default;
    p.Values.Quality = 3;
    p.Values.Algorithm = VBR;
    p.Values.VBRNew = true;
    p.Values.VBRQuality = v;
    p.Values.MinBitrate = 32;
    p.Values.MaxBitrate = 320;
    return p;
}

TCompressPreset Constant(const char* name, TAlgorithm method, quint16 kbps)
{
    TCompressPreset p;
    p.Name = QString::fromUtf8(name);
    p.Values.Mode = Default;
    p.Values.Quality = 3;
    p.Values.Algorithm = method;
    p.Values.ABitrate = kbps;
    return p;
}

// A decimal number of at most max, digits only.
std::optional<quint32> Number(QStringView s, quint32 max)
{
    if (s.isEmpty() || s.size() > 5)
        return std::nullopt;
    quint32 n = 0;
    for (const QChar c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n > max)
        return std::nullopt;
    return n;
}

} // namespace

const QList<TCompressPreset>& TCompressPresets::BuiltIn()
{
    static const QList<TCompressPreset> list = {
        Vbr("-V 0 (extreme)", 0),
        Vbr("-V 2 (standard)", 2),
        Vbr("-V 4 (medium)", 4),
        Constant("CBR 320 (insane)", CBR, 320),
        Constant("ABR 192 (cd)", ABR, 192),
    };
    return list;
}

TCompressPresets::TCompressPresets(QList<TCompressPreset> user) : m_user(std::move(user)) {}

int TCompressPresets::Count() const
{
    return int(BuiltIn().size() + m_user.size());
}

const TCompressPreset& TCompressPresets::At(int index) const
{
    const int builtIn = int(BuiltIn().size());
    return index < builtIn ? BuiltIn().at(index) : m_user.at(index - builtIn);
}

int TCompressPresets::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (At(i).Name == name)
            return i;
    }
    return -1;
}

int TCompressPresets::Find(const TCompressValues& values) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameOptions(At(i).Values, values))
            return i;
    }
    return -1;
}

QString TCompressPresets::NameProblem(const QString& name) const
{
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("TCompressPresets", text);
    };
    if (name.trimmed().isEmpty())
        return tr("Имя профиля пусто.");
    if (name.size() > MaxNameLength)
        return tr("Имя профиля длиннее %1 знаков.").arg(MaxNameLength);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return tr("В имени профиля не может быть управляющих символов.");
    }
    const int at = IndexOf(name);
    if (IsBuiltIn(at))
        return tr("Так называется встроенный профиль: выберите другое имя.");
    if (at < 0 && m_user.size() >= MaxUserPresets)
        return tr("Профилей уже %1: удалите ненужный.").arg(MaxUserPresets);
    return QString();
}

bool TCompressPresets::Save(const QString& name, const TCompressValues& values)
{
    if (!NameProblem(name).isEmpty() || !LameOptions::Problem(values.ExtraOptions).isEmpty())
        return false;
    const TCompressPreset preset{name, ProfileOf(values)};
    const int at = IndexOf(name);
    if (at >= 0)
        m_user[at - int(BuiltIn().size())] = preset;
    else
        m_user.append(preset);
    return true;
}

bool TCompressPresets::Remove(const QString& name)
{
    const int at = IndexOf(name);
    if (at < 0 || IsBuiltIn(at))
        return false;
    m_user.removeAt(at - int(BuiltIn().size()));
    return true;
}

bool TCompressPresets::SameOptions(const TCompressValues& a, const TCompressValues& b)
{
    if (a.Frequency != b.Frequency || a.Mode != b.Mode || a.Quality != b.Quality
        || a.KeepFreq != b.KeepFreq || a.Algorithm != b.Algorithm
        || a.ExtraOptions != b.ExtraOptions)
        return false;
    switch (a.Algorithm) {
    case CBR:
    case ABR: return a.ABitrate == b.ABitrate;
    case VBR:
        return a.VBRNew == b.VBRNew && a.VBRQuality == b.VBRQuality
            && a.MinBitrate == b.MinBitrate && a.MaxBitrate == b.MaxBitrate;
    default: return ProfileOf(a) == ProfileOf(b);
    }
}

TCompressValues TCompressPresets::Applied(const TCompressValues& values,
                                          const TCompressPreset& preset)
{
    TCompressValues v = ProfileOf(preset.Values);
    v.Copyrighted = values.Copyrighted;
    v.NonOriginal = values.NonOriginal;
    v.CRCs = values.CRCs;
    // Fields the profile's method does not use keep what they were, so that
    // choosing "-V 2" and going back to CBR finds the bitrate as it was.
    if (v.Algorithm == VBR) {
        v.ABitrate = values.ABitrate;
    } else if (v.Algorithm == CBR || v.Algorithm == ABR) {
        v.MinBitrate = values.MinBitrate;
        v.MaxBitrate = values.MaxBitrate;
        v.VBRQuality = values.VBRQuality;
        v.VBRNew = values.VBRNew;
    }
    return v;
}

QString TCompressPresets::Encode(const TCompressPreset& preset)
{
    const TCompressValues& v = preset.Values;
    const QList<quint32> numbers = {v.Frequency,  v.Mode,       v.Quality,    v.KeepFreq,
                                    v.ABitrate,   v.Algorithm,  v.MinBitrate, v.MaxBitrate,
                                    v.VBRQuality, v.VBRNew};
    QStringList fields;
    for (const quint32 n : numbers)
        fields << QString::number(n);
    return preset.Name + u'\t' + fields.join(u';') + u'\t' + v.ExtraOptions;
}

std::optional<TCompressPreset> TCompressPresets::Decode(const QString& text)
{
    const qsizetype first = text.indexOf(u'\t');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u'\t', first + 1);
    if (second < 0)
        return std::nullopt;
    TCompressPreset p;
    p.Name = text.left(first);
    const QStringView numbers = QStringView(text).mid(first + 1, second - first - 1);
    p.Values.ExtraOptions = text.mid(second + 1);
    if (!TCompressPresets().NameProblem(p.Name).isEmpty()
        || !LameOptions::Problem(p.Values.ExtraOptions).isEmpty())
        return std::nullopt;

    const QList<QStringView> parts = numbers.split(u';');
    if (parts.size() != 10)
        return std::nullopt;
    // Each field as wide as the record's; no range beyond that, like the
    // other compression values of the settings file.
    const quint32 widths[] = {0xff, 0xff, 0xff, 1, 0xffff, 0xff, 0xffff, 0xffff, 0xff, 1};
    quint32 n[10];
    for (int i = 0; i < 10; ++i) {
        const auto value = Number(parts[i], widths[i]);
        if (!value)
            return std::nullopt;
        n[i] = *value;
    }
    TCompressValues& v = p.Values;
    v.Frequency = TInterval(n[0]);
    v.Mode = TMode(quint8(n[1]));
    v.Quality = TInterval(n[2]);
    v.KeepFreq = n[3] == 1;
    v.ABitrate = quint16(n[4]);
    v.Algorithm = TAlgorithm(quint8(n[5]));
    v.MinBitrate = quint16(n[6]);
    v.MaxBitrate = quint16(n[7]);
    v.VBRQuality = TInterval(n[8]);
    v.VBRNew = n[9] == 1;
    return p;
}
