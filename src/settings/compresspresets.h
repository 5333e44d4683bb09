#pragma once

#include "compressvalues.h"

#include <QList>
#include <QString>

#include <optional>

// A named set of the panel's compression values: its ten fields and the
// user's own LAME options. The "Прочее" flags are not part of it.
struct TCompressPreset
{
    QString Name;
    TCompressValues Values;

    bool operator==(const TCompressPreset&) const = default;
};

// The profiles of the "Профиль:" list: LAME's well-known settings, built in,
// then the user's own, saved from the panel under a name and kept in the
// settings file. Values match a profile when lame would get the same
// options from both: fields the chosen method does not use do not count.
class TCompressPresets final
{
public:
    static constexpr int MaxUserPresets = 100;
    static constexpr int MaxNameLength = 60;

    static const QList<TCompressPreset>& BuiltIn();

    explicit TCompressPresets(QList<TCompressPreset> user = {});

    const QList<TCompressPreset>& User() const { return m_user; }
    // Built-ins first, then the user's, in the order they were saved.
    int Count() const;
    const TCompressPreset& At(int index) const;
    bool IsBuiltIn(int index) const { return index >= 0 && index < BuiltIn().size(); }
    int IndexOf(const QString& name) const; // -1 when there is none
    // The first profile the values match, or -1.
    int Find(const TCompressValues& values) const;

    // Why name cannot be saved (empty, too long, a control character, the
    // name of a built-in, the list full); empty when it can.
    QString NameProblem(const QString& name) const;
    // Saves the profile fields of values under name, replacing a user
    // profile of that name; false (nothing changes) when NameProblem says
    // so or the extra options are refused.
    bool Save(const QString& name, const TCompressValues& values);
    // Removes the user profile of that name; built-ins stay.
    bool Remove(const QString& name);

    // Whether two sets of values give lame the same options.
    static bool SameOptions(const TCompressValues& a, const TCompressValues& b);
    // values with the profile's fields taken from preset; the flags stay.
    static TCompressValues Applied(const TCompressValues& values, const TCompressPreset& preset);

    // One line of text for the settings file, and back. Decode refuses
    // anything that Save would not have stored.
    static QString Encode(const TCompressPreset& preset);
    static std::optional<TCompressPreset> Decode(const QString& text);

private:
    QList<TCompressPreset> m_user;
};
