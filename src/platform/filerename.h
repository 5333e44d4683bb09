#pragma once

#include <QString>

// Giving a finished file its final name in one step: a reader sees either
// the old state or the whole new file, never a part of it.
namespace FileRename {

// Renames from to to unless something exists at to.
bool NoReplace(const QString& from, const QString& to, QString* error = nullptr);
// Renames from to to, replacing a file at to in the same step.
bool Replace(const QString& from, const QString& to, QString* error = nullptr);

} // namespace FileRename
