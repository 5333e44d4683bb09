#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The user's own LAME options ("Дополнительные параметры LAME:"): a text
// split into arguments by the usual quoting rules, without a shell, and
// checked against lame's own option list before a job or the settings take
// it. What lame would read as a file name, an option Tessary sets itself and
// one that would break the run are refused with a message naming it.
namespace LameOptions {

// Longer texts are refused: nobody types that much, and a settings file
// edited by hand must not feed megabytes into every command line.
constexpr qsizetype MaxLength = 2000;

// Splits text as a POSIX shell splits words, without any expansion: blanks
// and tabs separate; '...' keeps everything literally; "..." keeps
// everything except that \" and \\ stand for " and \; elsewhere a backslash
// takes the next character literally. Returns nothing, and the reason in
// error, for an unclosed quote or a backslash at the very end.
std::optional<QStringList> Split(const QString& text, QString* error = nullptr);

// Why lame must not get these arguments after Tessary's own, read the way
// lame reads its command line (long options without regard to case, short
// ones grouped as in "-cp" or with their value attached as in "-V2"); empty
// when every one is accepted.
QString CheckArguments(const QStringList& arguments);

// Split and CheckArguments together, with the length and character rules;
// empty when text is accepted. The empty text is accepted.
QString Problem(const QString& text);

// The arguments of an accepted text; empty for a refused one.
QStringList Arguments(const QString& text);

// An argument as the option string shows it: as it is when it splits back
// to itself, otherwise in double quotes with " and \ escaped.
QString Shown(const QString& argument);

} // namespace LameOptions
