#pragma once

#include <QAbstractProxyModel>
#include <QFileSystemModel>
#include <QList>
#include <QPersistentModelIndex>

#include <memory>

// The folder tree's model: a Desktop node of its own (no file-system path)
// over one folders-only QFileSystemModel, with the home folder, "/" and the
// Desktop folder (when there is one) as its branches.
//
// One folder can sit in several branches (home is also below "/"), so a
// proxy index carries its branch next to the source node: the branch number
// lives in the low bits of the internal pointer, which QFileSystemModel's
// heap-allocated nodes never use.
class TFolderTreeModel final : public QAbstractProxyModel
{
    Q_OBJECT
public:
    explicit TFolderTreeModel(QObject* parent = nullptr);
    ~TFolderTreeModel() override;

    QFileSystemModel* FileSystem() const { return m_fs; }

    QModelIndex DesktopIndex() const;
    // The folder's path, empty for the Desktop node and invalid indexes.
    QString FilePath(const QModelIndex& index) const;
    // The node of an existing, visible folder, in the branch nearest to it;
    // invalid when there is none.
    QModelIndex IndexOf(const QString& path);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& idx) const override;

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    // In the branch nearest to the folder.
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

private:
    struct Branch {
        QString path;
        QPersistentModelIndex source;
    };

    bool IsDesktop(const QModelIndex& index) const;
    int BranchOf(const QModelIndex& proxyIndex) const;
    // The proxy index of a source folder in branch b.
    QModelIndex FromSource(const QModelIndex& source, int b) const;
    // Whether the source folder is the root of branch b or lies below it.
    bool InBranch(const QModelIndex& source, int b) const;
    int NearestBranch(const QModelIndex& source) const;

    enum class Change { None, Insert, Remove, Layout };
    Change BeginChange(const QModelIndex& parent, int first, int last, bool insert);
    void EndChange();
    void OnRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void OnRowsInserted(const QModelIndex& parent, int first, int last);
    void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void OnRowsRemoved(const QModelIndex& parent, int first, int last);
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                       const QList<int>& roles);
    void OnLayoutAboutToBeChanged();
    void OnLayoutChanged();
    void OnModelReset();
    void FindBranches();

    // Outlives m_fs: the destructor deletes the model first.
    std::unique_ptr<QAbstractFileIconProvider> m_iconProvider;
    QFileSystemModel* m_fs;
    QList<Branch> m_branches;
    // What each source change in progress opened on the proxy.
    QList<Change> m_openChanges;
    QModelIndexList m_layoutProxy;
    QList<QPersistentModelIndex> m_layoutSource;
    QList<int> m_layoutBranch;
};
