// The settings file reader: any bytes at the settings file's place. Nothing
// may crash; a load that fails leaves every field at its default; a file the
// load accepts saves and loads back to the same values and folder, and saving
// those again writes the very same bytes.

#include "fuzzinput.h"
#include "programsettings.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>

namespace {

QString g_file;

struct TLoaded
{
    ProgramSettings settings;
    QString folder;
    bool accepted = false;
};

TLoaded Load()
{
    TLoaded r;
    LoadSettings(r.settings, [&r](const QString& folder) {
        r.accepted = true;
        r.folder = folder;
        return true;
    });
    return r;
}

QByteArray ReadBack()
{
    QFile f(g_file);
    if (!f.open(QIODevice::ReadOnly))
        Fuzz::Fail("saved settings file cannot be read");
    return f.readAll();
}

void Save(const TLoaded& l)
{
    QString error;
    if (!SaveSettings(l.settings, l.folder, [&error](const QString& m) { error = m; }))
        Fuzz::Fail("save failed", error);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString config = Fuzz::ScratchDir() + QStringLiteral("/config");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    g_file = config + QStringLiteral("/Morvane/Tessary/1.0.reg");
    QDir().mkpath(config + QStringLiteral("/Morvane/Tessary"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile f(g_file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fuzz::Fail("cannot write the settings file");
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    const TLoaded first = Load();
    if (!first.accepted) {
        Fuzz::Check(first.settings == ProgramSettings(), "a failed load left a non-default field");
        return 0;
    }

    Save(first);
    const QByteArray saved = ReadBack();
    const TLoaded second = Load();
    Fuzz::Check(second.accepted, "a saved file does not load", QString::fromUtf8(saved));
    Fuzz::Check(second.settings == first.settings, "values changed by a save and a load",
                QString::fromUtf8(saved));
    Fuzz::Check(second.folder == first.folder, "folder changed by a save and a load",
                first.folder + u'\n' + second.folder);

    Save(second);
    Fuzz::Check(ReadBack() == saved, "saving the reloaded values wrote other bytes",
                QString::fromUtf8(saved));
    return 0;
}
