#pragma once

#include <QAbstractListModel>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QStringList>

// The lines of a TNewFileListBox: folder entries first, then file entries,
// each line the entry's name. Every line carries its kind by its position
// (the first FolderCount() lines are folder entries). Icons come from
// QFileIconProvider, looked up once per kind (folder, or file extension)
// and only for lines that are drawn.
class TFileListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole + 1, // the exact name (DisplayRole masks line breaks)
        FolderEntryRole,             // bool: the line is a folder entry
    };

    explicit TFileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QStringList& Names() const { return m_names; }
    int FolderCount() const { return m_folderCount; }
    bool IsFolderEntry(int row) const { return row >= 0 && row < m_folderCount; }

    // Replaces all lines in one reset.
    void SetLines(QStringList folders, QStringList files);
    void Clear();
    // Puts folder entries ahead of the present lines.
    void PrependFolders(const QStringList& folders);
    // Removes the leading folder entries.
    void RemoveFolders();

    QIcon IconFor(int row) const;

private:
    QStringList m_names;
    int m_folderCount = 0;
    QFileIconProvider m_provider;
    QMimeDatabase m_mimes;
    mutable QHash<QString, QIcon> m_icons;
};
