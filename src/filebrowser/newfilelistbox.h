#pragma once

#include "filelisttypes.h"

#include <QListView>
#include <QString>
#include <QStringList>

class TFileListDelegate;
class TFileListModel;
class TFileNotify;

// A list of the entries of one folder: the files whose names match a list of
// wildcard masks, optionally headed by the sub-folders (folder entries), one
// fixed-height line per entry with the entry's icon and name. It can watch
// its folder and re-read on every change (Notify).
//
// A read runs on the GUI thread and processes pending events as it goes, so
// the window stays alive in a large folder. Anything that asks for a read
// while one is running (a change report, a new folder, mask or filter) makes
// the running read start one more pass instead of nesting a second read, so
// the lines always end up matching the last values assigned.
class TNewFileListBox final : public QListView
{
    Q_OBJECT
public:
    explicit TNewFileListBox(QWidget* parent = nullptr);
    ~TNewFileListBox() override;

    // The folder listed. Empty and "..." mean no folder. Assigning the
    // current value again reads nothing; "..." empties the list at once.
    const QString& Directory() const { return m_directory; }
    void SetDirectory(const QString& value);

    // ";"-separated wildcard masks, "*.*" by default. A mask that differs
    // only in letter case from the current one changes nothing.
    const QString& Mask() const { return m_mask; }
    void SetMask(const QString& value);

    TFileType FileType() const { return m_fileType; }
    void SetFileType(TFileType value);

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool value);

    // While on, a watcher re-reads the list on every change in the folder.
    bool Notify() const { return m_notifier != nullptr; }
    void SetNotify(bool value);
    TFileNotify* Notifier() const { return m_notifier; }

    // Extended selection (Shift and Ctrl) when on, single selection when off.
    bool MultiSelect() const;
    void SetMultiSelect(bool value);

    // The text of the current (focus) line, empty when there is none.
    QString CurrentName() const;
    // Fills the list from scratch from Directory, Mask, FileType and Sorted.
    void ReadDirectory();
    bool Reading() const { return m_reading; }

    int Count() const;
    // The line texts (the entries' exact names), in list order.
    const QStringList& Lines() const;
    bool IsFolderEntry(int line) const;
    // Full paths of the selected file entries, in list order.
    QStringList SelectedFiles() const;
    int LineHeight() const;

public Q_SLOTS:
    // The watcher's report: re-read, or one more pass when a read is running.
    void DirectoryChanged();

Q_SIGNALS:
    // A double-click whose current line is a file entry; sent before OnDblClick.
    void OnFileSelect(const QString& name);
    // Every double-click, with or without a current line.
    void OnDblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // false when the list was destroyed while events were processed.
    bool Read();
    void UpdateLineHeight();
    QString FolderPath() const;
    void DropQueuedReport();
    void StopWatching();

    TFileListModel* m_model;
    TFileListDelegate* m_delegate;
    TFileNotify* m_notifier = nullptr;

    QString m_directory;
    QString m_mask = QStringLiteral("*.*");
    TFileType m_fileType = ftNormal;
    bool m_sorted = true;

    bool m_reading = false;
    bool m_restartPending = false;
    bool m_ignoreNextChange = false;
};
