#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// The kinds of value a per-user settings key holds. Anything that is not a
// 32-bit number or text (binary data, a line that does not parse) is Other.
enum class TRegType { Dword, String, ExpandString, Other };

// A value as a registry hands it out: DWORDs as 4 little-endian bytes, both
// string kinds as UTF-16LE text with its terminating zero, Other as raw bytes.
// Readers apply their own rules to type and size.
struct TRegValue
{
    TRegType Type = TRegType::Other;
    QByteArray Data;

    // Data read as UTF-16LE text up to its first zero (an odd last byte is
    // ignored), whatever the type.
    QString Text() const;

    static TRegValue Dword(quint32 number);
    static TRegValue String(const QString& text);
    static TRegValue ExpandString(const QString& text);

    bool operator==(const TRegValue&) const = default;
};

// One open key of the per-user store. Reads see the key as it was when it was
// opened; writes are kept until Close(), which stores them all or none.
class TRegKey
{
public:
    virtual ~TRegKey() = default;

    // False when the key could neither be opened nor created for writing;
    // every Set() then fails.
    virtual bool IsWritable() const = 0;
    // The value's type and data, or nothing when the key holds no such value.
    // Value names compare without regard to case, as in a registry.
    virtual std::optional<TRegValue> Query(const QString& name) const = 0;
    virtual bool Set(const QString& name, const TRegValue& value) = 0;
    // Removes the value; false when the key cannot be written. A value that
    // is not there is removed already.
    virtual bool Remove(const QString& name) = 0;
    // Stores what Set() changed. True when there was nothing to store or all
    // of it was stored; false when nothing was. Further calls do nothing.
    virtual bool Close() = 0;
};

// Opens the key subKey (e.g. "SOFTWARE\Vendor\Program\1.0") below the current
// user's root, creating it and its parents when missing. Always returns a key;
// see IsWritable().
//
// On Linux the key is a registry-export text file (UTF-8, "REGEDIT4" header)
// at $XDG_CONFIG_HOME/Vendor/Program/1.0.reg: the leading "SOFTWARE\" is
// dropped, the other parts become folders and the last one the file name.
// A port to another system provides its own definition of this function.
std::unique_ptr<TRegKey> OpenUserKey(const QString& subKey);

// The same key kept in the file filePath instead (a settings file handed to
// the batch mode). Nothing is created or written unless Set() and Close().
std::unique_ptr<TRegKey> OpenKeyFile(const QString& filePath, const QString& subKey);
