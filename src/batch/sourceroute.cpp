#include "sourceroute.h"

#include <QCoreApplication>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("TSourceRoute", text); }

QString What(const TSourceKind& kind)
{
    switch (kind.family) {
    case TSourceKind::Family::Unknown: return Tr("формат не распознан");
    case TSourceKind::Family::DamagedWav: return Tr("повреждённый WAV-файл");
    default: return kind.name;
    }
}

TSourceRoute Refuse(const TSourceKind& kind, const QString& reason)
{
    TSourceRoute r;
    r.way = TSourceRoute::Way::Refused;
    r.reason = reason;
    r.kind = kind;
    return r;
}

} // namespace

TSourceRoute TSourceRoute::For(const TSourceKind& kind, int mode, bool decoderAllowed)
{
    using Family = TSourceKind::Family;
    TSourceRoute r;
    r.kind = kind;
    if (mode == 1) {
        if (kind.family != Family::Mpeg)
            return Refuse(kind, Tr("Не MPEG-аудио: ") + What(kind));
        return r;
    }
    switch (kind.family) {
    case Family::Wav:
        if (!kind.lameReads) {
            r.way = Way::Decoder;
            r.reason = Tr("WAV (%1)").arg(kind.detail);
        }
        return r;
    case Family::DamagedWav:
        return Refuse(kind, Tr("Повреждённый WAV-файл: ") + kind.detail);
    case Family::Mpeg:
    case Family::Audio:
    case Family::Video:
        if (!decoderAllowed)
            return Refuse(kind, Tr("Не WAV-файл: это %1 (включите «Сжимать также…»)").arg(kind.name));
        r.way = Way::Decoder;
        return r;
    case Family::Text:
    case Family::Unknown:
        break;
    }
    return Refuse(kind, Tr("Не WAV-файл: ") + (kind.family == Family::Text
                                                   ? Tr("это текстовый файл")
                                                   : What(kind)));
}
