#include "settingsstore.h"

#include "lameoptions.h"
#include "paths.h"
#include "regfile.h"

#include <QtEndian>

#include <optional>
#include <type_traits>

namespace {

const QString kSettingsKey = QStringLiteral("SOFTWARE\\Morvane\\Tessary\\1.0");

// A number or flag must be a DWORD of at most 4 bytes.
std::optional<quint32> ReadDword(const TRegKey& key, const QString& name)
{
    const auto v = key.Query(name);
    if (!v || v->Type != TRegType::Dword || v->Data.size() > 4)
        return std::nullopt;
    quint32 n = 0;
    for (qsizetype i = 0; i < v->Data.size(); ++i)
        n |= quint32(quint8(v->Data.at(i))) << (8 * i);
    return n;
}

// Narrowed to the field's width without a range check: a hand-edited value
// beyond the named ones survives a load and a save unchanged.
template <typename T>
bool ReadNumber(const TRegKey& key, const QString& name, T& field)
{
    const auto n = ReadDword(key, name);
    if (!n)
        return false;
    if constexpr (std::is_enum_v<T>)
        field = static_cast<T>(static_cast<std::underlying_type_t<T>>(*n));
    else
        field = static_cast<T>(*n);
    return true;
}

bool ReadBool(const TRegKey& key, const QString& name, bool& field)
{
    const auto n = ReadDword(key, name);
    if (n)
        field = *n != 0;
    return n.has_value();
}

// A missing string is the empty text; an expandable one is taken as stored,
// without expanding variables. Any other type fails, also one without data
// (a line that does not parse has none).
bool ReadString(const TRegKey& key, const QString& name, QString& field)
{
    const auto v = key.Query(name);
    if (!v) {
        field.clear();
        return true;
    }
    if (v->Type != TRegType::String && v->Type != TRegType::ExpandString)
        return false;
    field = v->Text();
    return true;
}

QString PresetValueName(int n)
{
    return QStringLiteral("Preset %1").arg(n);
}

// "Preset 1", "Preset 2", ... up to the first one missing. One that does not
// read as a profile (or repeats a name) is left out alone.
QList<TCompressPreset> ReadPresets(const TRegKey& key)
{
    QList<TCompressPreset> presets;
    TCompressPresets names;
    for (int n = 1; n <= TCompressPresets::MaxUserPresets; ++n) {
        const auto v = key.Query(PresetValueName(n));
        if (!v)
            break;
        if (v->Type != TRegType::String)
            continue;
        const auto preset = TCompressPresets::Decode(v->Text());
        if (preset && names.IndexOf(preset->Name) < 0) {
            names.Save(preset->Name, preset->Values);
            presets << *preset;
        }
    }
    return presets;
}

} // namespace

namespace {

void LoadFromKey(TRegKey& k, ProgramSettings& settings,
                 const std::function<bool(const QString& folder)>& folderRestore)
{
    ProgramSettings s;
    QString folder;
    const bool ok = ReadNumber(k, QStringLiteral("ABitrate"), s.ABitrate)
        && ReadNumber(k, QStringLiteral("FreqIdx"), s.Frequency)
        && ReadNumber(k, QStringLiteral("MinBitrate"), s.MinBitrate)
        && ReadNumber(k, QStringLiteral("MaxBitrate"), s.MaxBitrate)
        && ReadNumber(k, QStringLiteral("Quality"), s.Quality)
        && ReadNumber(k, QStringLiteral("VBRQuality"), s.VBRQuality)
        && ReadBool(k, QStringLiteral("Keep all frequences"), s.KeepFreq)
        && ReadNumber(k, QStringLiteral("Mode"), s.Mode)
        && ReadNumber(k, QStringLiteral("Algorithm"), s.Algorithm)
        && ReadBool(k, QStringLiteral("New VBR routine"), s.VBRNew)
        && ReadBool(k, QStringLiteral("Copyrighted bit"), s.Copyrighted)
        && ReadBool(k, QStringLiteral("CRCs"), s.CRCs)
        && ReadBool(k, QStringLiteral("Non-original bit"), s.NonOriginal)
        && ReadString(k, QStringLiteral("Target directory"), s.TargetDirectory)
        && ReadString(k, QStringLiteral("Output file name format"), s.FileNameFormat)
        && ReadString(k, QStringLiteral("Output artist folder format"), s.ArtistFolderFormat)
        && ReadString(k, QStringLiteral("Output album folder format"), s.AlbumFolderFormat)
        && ReadBool(k, QStringLiteral("Create sub folders"), s.CreateSubFolders)
        && ReadBool(k, QStringLiteral("Delete after process"), s.DeleteAfterProcess)
        && ReadBool(k, QStringLiteral("Delete from queue"), s.DeleteFromQueue)
        && ReadString(k, QStringLiteral("Folder"), folder);
    // Values added after the original 21: each one missing or unreadable
    // keeps its default and costs no other value anything. An unknown choice
    // for existing outputs falls back to asking, a number of jobs or a pause
    // out of range to its default.
    if (const auto show = ReadDword(k, QStringLiteral("Show output names")))
        s.ShowOutputNames = *show != 0;
    if (const auto existing = ReadDword(k, QStringLiteral("Existing output"));
        existing && *existing <= quint32(TExistingOutput::KeepBoth))
        s.ExistingOutput = TExistingOutput(*existing);
    if (const auto jobs = ReadDword(k, QStringLiteral("Parallel jobs"));
        jobs && *jobs <= ProgramSettings::MaxParallelJobs)
        s.ParallelJobs = *jobs;
    if (const auto pause = ReadDword(k, QStringLiteral("Pause between jobs"));
        pause && *pause <= ProgramSettings::MaxPauseBetweenJobs)
        s.PauseBetweenJobs = *pause;
    if (const auto formats = ReadDword(k, QStringLiteral("Source formats")); formats && *formats <= 1)
        s.AllSourceFormats = *formats == 1;
    if (const auto cover = ReadDword(k, QStringLiteral("Embed cover art")))
        s.EmbedCoverArt = *cover != 0;
    if (const auto names = ReadDword(k, QStringLiteral("File names")); names && *names <= 1)
        s.PortableNames = *names == 1;
    if (QString extra; ReadString(k, QStringLiteral("Extra LAME options"), extra)
                       && LameOptions::Problem(extra).isEmpty())
        s.ExtraOptions = extra;
    if (const auto gain = ReadDword(k, QStringLiteral("ReplayGain"));
        gain && *gain <= quint32(TReplayGain::Album))
        s.ReplayGain = TReplayGain(*gain);
    s.UserPresets = ReadPresets(k);
    if (const auto notify = ReadDword(k, QStringLiteral("Notify at end")))
        s.NotifyAtEnd = *notify != 0;
    if (const auto keep = ReadDword(k, QStringLiteral("Keep queue")))
        s.KeepQueue = *keep != 0;
    if (QString queueFolder; ReadString(k, QStringLiteral("Queue folder"), queueFolder))
        s.QueueFolder = queueFolder;
    k.Close();

    if (!ok) {
        settings = ProgramSettings();
        return;
    }
    // lame runs in the program's folder, not in ours: a relative target
    // (typed into the settings file by hand) would fail every job.
    s.TargetDirectory = Paths::AbsoluteUnderHome(s.TargetDirectory);
    settings = s;
    // The result of the restore does not matter here: the caller leaves its
    // view where it was, and the loaded settings stay.
    if (folderRestore)
        folderRestore(folder);
}

} // namespace

void LoadSettings(ProgramSettings& settings,
                  const std::function<bool(const QString& folder)>& folderRestore)
{
    LoadFromKey(*OpenUserKey(kSettingsKey), settings, folderRestore);
}

void LoadSettingsFile(ProgramSettings& settings, const QString& file)
{
    LoadFromKey(*OpenKeyFile(file, kSettingsKey), settings, {});
}

bool SaveSettings(const ProgramSettings& settings, const QString& folder,
                  const std::function<void(const QString& message)>& onError)
{
    const auto dword = [](quint32 n) { return TRegValue::Dword(n); };
    const auto flag = [](bool b) { return TRegValue::Dword(b ? 1 : 0); };
    const std::pair<QString, TRegValue> values[] = {
        {QStringLiteral("ABitrate"), dword(settings.ABitrate)},
        {QStringLiteral("FreqIdx"), dword(settings.Frequency)},
        {QStringLiteral("MinBitrate"), dword(settings.MinBitrate)},
        {QStringLiteral("MaxBitrate"), dword(settings.MaxBitrate)},
        {QStringLiteral("Quality"), dword(settings.Quality)},
        {QStringLiteral("VBRQuality"), dword(settings.VBRQuality)},
        {QStringLiteral("Keep all frequences"), flag(settings.KeepFreq)},
        {QStringLiteral("Mode"), dword(settings.Mode)},
        {QStringLiteral("New VBR routine"), flag(settings.VBRNew)},
        {QStringLiteral("Copyrighted bit"), flag(settings.Copyrighted)},
        {QStringLiteral("CRCs"), flag(settings.CRCs)},
        {QStringLiteral("Non-original bit"), flag(settings.NonOriginal)},
        {QStringLiteral("Target directory"), TRegValue::String(settings.TargetDirectory)},
        {QStringLiteral("Output file name format"), TRegValue::String(settings.FileNameFormat)},
        {QStringLiteral("Delete after process"), flag(settings.DeleteAfterProcess)},
        {QStringLiteral("Algorithm"), dword(settings.Algorithm)},
        {QStringLiteral("Output artist folder format"),
         TRegValue::String(settings.ArtistFolderFormat)},
        {QStringLiteral("Output album folder format"),
         TRegValue::String(settings.AlbumFolderFormat)},
        {QStringLiteral("Create sub folders"), flag(settings.CreateSubFolders)},
        {QStringLiteral("Delete from queue"), flag(settings.DeleteFromQueue)},
        {QStringLiteral("Folder"), TRegValue::String(folder)},
        {QStringLiteral("Show output names"), flag(settings.ShowOutputNames)},
        {QStringLiteral("Existing output"), dword(quint32(settings.ExistingOutput))},
        {QStringLiteral("Parallel jobs"), dword(settings.ParallelJobs)},
        {QStringLiteral("Pause between jobs"), dword(settings.PauseBetweenJobs)},
        {QStringLiteral("Source formats"), flag(settings.AllSourceFormats)},
        {QStringLiteral("Embed cover art"), flag(settings.EmbedCoverArt)},
        {QStringLiteral("File names"), flag(settings.PortableNames)},
        {QStringLiteral("Extra LAME options"), TRegValue::String(settings.ExtraOptions)},
        {QStringLiteral("ReplayGain"), dword(quint32(settings.ReplayGain))},
        {QStringLiteral("Notify at end"), flag(settings.NotifyAtEnd)},
        {QStringLiteral("Keep queue"), flag(settings.KeepQueue)},
        {QStringLiteral("Queue folder"), TRegValue::String(settings.QueueFolder)},
    };

    const auto fail = [&onError](const QString& name) {
        if (onError)
            onError(QStringLiteral("Failed to set data for '%1'").arg(name));
        return false;
    };

    const std::unique_ptr<TRegKey> key = OpenUserKey(kSettingsKey);
    for (const auto& [name, value] : values) {
        if (!key->Set(name, value)) {
            key->Close();
            return fail(name);
        }
    }
    // The profiles as "Preset 1" ... "Preset n"; those of a longer list
    // saved before go.
    int n = 0;
    for (const TCompressPreset& preset : settings.UserPresets) {
        if (n == TCompressPresets::MaxUserPresets)
            break;
        const QString name = PresetValueName(++n);
        if (!key->Set(name, TRegValue::String(TCompressPresets::Encode(preset)))) {
            key->Close();
            return fail(name);
        }
    }
    while (key->Query(PresetValueName(++n)))
        key->Remove(PresetValueName(n));
    // The store is one file, replaced whole when the key is closed, so the
    // values cannot fail one by one: a failed close stores none of them.
    // "ABitrate", the first value that did not reach the store, is named,
    // as when the key cannot be created at all.
    if (!key->Close())
        return fail(values[0].first);
    return true;
}
