#pragma once

#include "filesystemkind.h"
#include "namerules.h"
#include "namingtree.h"
#include "programsettings.h"

#include <QHash>
#include <QSet>
#include <QString>

class TQueueItem;

// Gives the jobs of one run their output paths, one job at a time in queue
// order: the naming of BuildOutputPath (tree, track number, patterns), then
// " (2)", " (3)", ... before the extension when an earlier job of the same run
// was given that path already, and, when existing files are to be kept, when
// a file on disk has it. The plan of the queue and the run each drive one, so
// what the queue shows before the run is what the run writes.
//
// Names are made for the file system of the target folder (looked up once
// per namer, so each plan and each run sees the mounts as they are then). Where
// it does not tell upper from lower case, paths are compared as it compares
// them: "Abba - Song.mp3" clashes with "ABBA - Song.mp3", a file on disk of
// either spelling exists for both, and "ABBA/" and "Abba/" are one folder,
// spelled as the first job (or the folder on disk) spells it.
class TOutputNamer final
{
public:
    struct Assignment
    {
        QString path;                        // the job's OutputFile after the call
        QString wanted;                      // the path before any numbering
        const TQueueItem* clashWith = nullptr; // the first job that wanted the same path
        bool existed = false; // a file was on disk at the path numbering for the run gave
        bool skip = false;    // existing files are skipped and this one exists
        bool replace = false; // existing files are overwritten and this one exists
        QStringList notes;    // what was changed to suit the target, and why
    };

    // Names job: sets its OutputFile, and its Track when it numbers itself.
    // self identifies the job in later clashes (the run's job; for a copy, the
    // job it was copied from). With Ask nothing is numbered for files on disk:
    // the user has not answered yet.
    Assignment Assign(TQueueItem& job, const ProgramSettings& settings, int mode,
                      TExistingOutput existing, const TQueueItem* self);

    // A job whose output was decided before (a plan made over the whole
    // library): path as given, then the same numbering against this run's
    // earlier jobs and files on disk as Assign. The job's Track stays as it is.
    Assignment AssignGiven(TQueueItem& job, const QString& path, TExistingOutput existing,
                           const TQueueItem* self);

    // path with " (n)" inserted before the extension of its file name.
    static QString Numbered(const QString& path, int n, const NameRules::TTarget& target = {});

    // For a namer that lives only as long as one plan: folders found missing
    // are remembered, so the files of a new artist or album folder cost no
    // look-up each, and a folder asked about often is listed once instead of
    // looked up file by file. A run's namer must not, as the run creates
    // folders and files.
    void RememberMissingFolders() { m_rememberFolders = true; }

private:
    struct Folder
    {
        bool exists = false;
        int asked = 0;
        bool listed = false;
        QHash<QString, QString> names; // every entry by its key, once listed
    };
    // The name on disk that path's file has, as fold compares names; empty
    // when none.
    QString Existing(const QString& path, TFsKind fold);
    TFsKind KindOf(const QString& base);
    // wanted with each folder below base spelled as first met.
    QString SpellFolders(const QString& wanted, qsizetype baseSize, TFsKind fold,
                         QStringList* notes);
    Assignment Place(TQueueItem& job, TExistingOutput existing, const TQueueItem* self,
                     qsizetype baseSize, const NameRules::TTarget& target, Assignment a);

    TNamingTree m_tree;
    TFileSystemProbe m_probe;
    QHash<QString, TFsKind> m_kinds;            // base folder -> its kind
    QHash<QString, QString> m_folderSpelling;   // folded folder path -> first spelling
    QHash<QString, const TQueueItem*> m_given;  // cleaned path -> job that got it
    QHash<QString, const TQueueItem*> m_wanted; // cleaned wanted path -> first job
    bool m_rememberFolders = false;
    QHash<QString, Folder> m_folders;
};
