#include "foldertreemodel.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr quintptr BranchBits = 0x3;
// The Desktop node: no node pointer, and a branch number no branch uses.
constexpr quintptr DesktopId = 0x3;
constexpr int MaxBranches = 3;

quintptr Tag(const void* node, int branch)
{
    return quintptr(node) | quintptr(branch);
}

void* NodeOf(const QModelIndex& index)
{
    return reinterpret_cast<void*>(index.internalId() & ~BranchBits);
}

// Icons without looking into files. QFileIconProvider guesses a file's type
// from its contents, which blocks for good on files such as /proc/kmsg or a
// FIFO; QFileSystemModel asks for every entry of a folder, files included,
// on the GUI thread.
class TFolderIconProvider final : public QFileIconProvider
{
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QFileIconProvider::icon(Drive);
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override
    {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};

} // namespace

TFolderTreeModel::TFolderTreeModel(QObject* parent)
    : QAbstractProxyModel(parent),
      m_fs(new QFileSystemModel(this))
{
    // The tree shows what was there when a folder was first opened.
    m_fs->setOption(QFileSystemModel::DontWatchForChanges, true);
    m_fs->setOption(QFileSystemModel::DontUseCustomDirectoryIcons, true);
    m_iconProvider = std::make_unique<TFolderIconProvider>();
    m_fs->setIconProvider(m_iconProvider.get());
    m_fs->setReadOnly(true);
    // Folders only; no hidden ones.
    m_fs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_fs->setRootPath(QStringLiteral("/"));
    QAbstractProxyModel::setSourceModel(m_fs);

    connect(m_fs, &QAbstractItemModel::rowsAboutToBeInserted, this, &TFolderTreeModel::OnRowsAboutToBeInserted);
    connect(m_fs, &QAbstractItemModel::rowsInserted, this, &TFolderTreeModel::OnRowsInserted);
    connect(m_fs, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TFolderTreeModel::OnRowsAboutToBeRemoved);
    connect(m_fs, &QAbstractItemModel::rowsRemoved, this, &TFolderTreeModel::OnRowsRemoved);
    connect(m_fs, &QAbstractItemModel::dataChanged, this, &TFolderTreeModel::OnDataChanged);
    connect(m_fs, &QAbstractItemModel::layoutAboutToBeChanged, this, &TFolderTreeModel::OnLayoutAboutToBeChanged);
    connect(m_fs, &QAbstractItemModel::layoutChanged, this, &TFolderTreeModel::OnLayoutChanged);
    connect(m_fs, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(m_fs, &QAbstractItemModel::modelReset, this, &TFolderTreeModel::OnModelReset);

    FindBranches();
}

TFolderTreeModel::~TFolderTreeModel()
{
    // The file-system model's gatherer thread uses the icon provider until
    // the model is gone.
    disconnect(m_fs, nullptr, this, nullptr);
    delete m_fs;
}

void TFolderTreeModel::FindBranches()
{
    m_branches.clear();
    QStringList paths;
    const QString home = QDir::homePath();
    if (QFileInfo(home).isDir())
        paths << QDir::cleanPath(home);
    paths << QStringLiteral("/");
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        paths << QDir::cleanPath(desktop);
    for (const QString& path : paths) {
        if (m_branches.size() == MaxBranches)
            break;
        bool known = false;
        for (const Branch& b : std::as_const(m_branches))
            known = known || b.path == path;
        const QModelIndex source = m_fs->index(path);
        if (!known && source.isValid())
            m_branches.append({path, QPersistentModelIndex(source)});
    }
}

QModelIndex TFolderTreeModel::DesktopIndex() const
{
    return createIndex(0, 0, DesktopId);
}

bool TFolderTreeModel::IsDesktop(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.internalId() == DesktopId;
}

int TFolderTreeModel::BranchOf(const QModelIndex& proxyIndex) const
{
    return int(proxyIndex.internalId() & BranchBits);
}

QString TFolderTreeModel::FilePath(const QModelIndex& index) const
{
    if (!index.isValid() || IsDesktop(index))
        return {};
    return m_fs->filePath(mapToSource(index));
}

QModelIndex TFolderTreeModel::IndexOf(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.isDir())
        return {};
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const QModelIndex source = m_fs->index(clean);
    if (!source.isValid() || m_fs->filePath(source) != clean)
        return {};
    return mapFromSource(source);
}

QModelIndex TFolderTreeModel::FromSource(const QModelIndex& source, int b) const
{
    if (!source.isValid() || b < 0 || b >= m_branches.size())
        return {};
    const QModelIndex s = source.column() == 0 ? source : source.siblingAtColumn(0);
    if (s == m_branches.at(b).source)
        return createIndex(b, 0, Tag(s.internalPointer(), b));
    return createIndex(s.row(), 0, Tag(s.internalPointer(), b));
}

bool TFolderTreeModel::InBranch(const QModelIndex& source, int b) const
{
    const QModelIndex root = m_branches.at(b).source;
    for (QModelIndex s = source.siblingAtColumn(0); s.isValid(); s = s.parent())
        if (s == root)
            return true;
    return false;
}

int TFolderTreeModel::NearestBranch(const QModelIndex& source) const
{
    for (QModelIndex s = source.siblingAtColumn(0); s.isValid(); s = s.parent())
        for (int b = 0; b < m_branches.size(); ++b)
            if (s == m_branches.at(b).source)
                return b;
    return -1;
}

QModelIndex TFolderTreeModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || IsDesktop(proxyIndex))
        return {};
    const int b = BranchOf(proxyIndex);
    if (b >= m_branches.size())
        return {};
    void* node = NodeOf(proxyIndex);
    const QPersistentModelIndex& root = m_branches.at(b).source;
    if (node == root.internalPointer())
        return root;
    return createSourceIndex(proxyIndex.row(), 0, node);
}

QModelIndex TFolderTreeModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    return FromSource(sourceIndex, NearestBranch(sourceIndex));
}

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? DesktopIndex() : QModelIndex();
    if (IsDesktop(parent))
        return row < m_branches.size() ? FromSource(m_branches.at(row).source, row) : QModelIndex();
    const QModelIndex source = m_fs->index(row, 0, mapToSource(parent));
    return FromSource(source, BranchOf(parent));
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || IsDesktop(child))
        return {};
    const int b = BranchOf(child);
    const QModelIndex source = mapToSource(child);
    if (!source.isValid() || source == m_branches.at(b).source)
        return DesktopIndex();
    return FromSource(source.parent(), b);
}

QModelIndex TFolderTreeModel::sibling(int row, int column, const QModelIndex& idx) const
{
    return index(row, column, parent(idx));
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (IsDesktop(parent))
        return int(m_branches.size());
    return m_fs->rowCount(mapToSource(parent));
}

int TFolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return true;
    if (IsDesktop(parent))
        return !m_branches.isEmpty();
    return m_fs->hasChildren(mapToSource(parent));
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    if (!parent.isValid() || IsDesktop(parent))
        return false;
    return m_fs->canFetchMore(mapToSource(parent));
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() && !IsDesktop(parent))
        m_fs->fetchMore(mapToSource(parent));
}

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (IsDesktop(index)) {
        switch (role) {
        case Qt::DisplayRole:
            return tr("Рабочий стол");
        case Qt::DecorationRole:
            return QFileIconProvider().icon(QAbstractFileIconProvider::Desktop);
        default:
            return {};
        }
    }
    const QModelIndex source = mapToSource(index);
    if (role == Qt::ToolTipRole)
        return m_fs->filePath(source);
    return m_fs->data(source, role);
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// A change below a source folder is a change in every branch that shows
// that folder. Inside one branch it is an ordinary insert or remove; when it
// touches several, the proxy reports a layout change instead, because views
// (and the model rules) do not allow one begin*Rows inside another.
TFolderTreeModel::Change TFolderTreeModel::BeginChange(const QModelIndex& parent, int first, int last,
                                                      bool insert)
{
    int inside = -1;
    int count = 0;
    for (int b = 0; b < m_branches.size(); ++b) {
        if (InBranch(parent, b)) {
            inside = b;
            ++count;
        }
    }
    if (count == 0)
        return Change::None;
    if (count > 1) {
        OnLayoutAboutToBeChanged();
        return Change::Layout;
    }
    if (insert)
        beginInsertRows(FromSource(parent, inside), first, last);
    else
        beginRemoveRows(FromSource(parent, inside), first, last);
    return insert ? Change::Insert : Change::Remove;
}

void TFolderTreeModel::EndChange()
{
    switch (m_openChanges.isEmpty() ? Change::None : m_openChanges.takeLast()) {
    case Change::None: break;
    case Change::Insert: endInsertRows(); break;
    case Change::Remove: endRemoveRows(); break;
    case Change::Layout: OnLayoutChanged(); break;
    }
}

void TFolderTreeModel::OnRowsAboutToBeInserted(const QModelIndex& parent, int first, int last)
{
    m_openChanges.append(BeginChange(parent, first, last, true));
}

void TFolderTreeModel::OnRowsInserted(const QModelIndex&, int, int)
{
    EndChange();
}

void TFolderTreeModel::OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last)
{
    m_openChanges.append(BeginChange(parent, first, last, false));
}

void TFolderTreeModel::OnRowsRemoved(const QModelIndex&, int, int)
{
    EndChange();
}

void TFolderTreeModel::OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                     const QList<int>& roles)
{
    if (topLeft.column() > 0)
        return;
    const QModelIndex parent = topLeft.parent();
    for (int b = 0; b < m_branches.size(); ++b) {
        if (InBranch(parent, b)) {
            Q_EMIT dataChanged(FromSource(topLeft, b), FromSource(bottomRight.siblingAtColumn(0), b), roles);
            continue;
        }
        const QModelIndex root = m_branches.at(b).source;
        if (root.parent() == parent && root.row() >= topLeft.row() && root.row() <= bottomRight.row()) {
            const QModelIndex top = FromSource(root, b);
            Q_EMIT dataChanged(top, top, roles);
        }
    }
}

void TFolderTreeModel::OnLayoutAboutToBeChanged()
{
    Q_EMIT layoutAboutToBeChanged();
    m_layoutProxy = persistentIndexList();
    m_layoutSource.clear();
    m_layoutBranch.clear();
    for (const QModelIndex& proxy : std::as_const(m_layoutProxy)) {
        m_layoutSource << QPersistentModelIndex(mapToSource(proxy));
        m_layoutBranch << (IsDesktop(proxy) ? -1 : BranchOf(proxy));
    }
}

void TFolderTreeModel::OnLayoutChanged()
{
    QModelIndexList moved;
    moved.reserve(m_layoutProxy.size());
    for (qsizetype i = 0; i < m_layoutProxy.size(); ++i) {
        const int b = m_layoutBranch.at(i);
        moved << (b < 0 ? DesktopIndex() : FromSource(m_layoutSource.at(i), b));
    }
    changePersistentIndexList(m_layoutProxy, moved);
    m_layoutProxy.clear();
    m_layoutSource.clear();
    m_layoutBranch.clear();
    Q_EMIT layoutChanged();
}

void TFolderTreeModel::OnModelReset()
{
    FindBranches();
    endResetModel();
}
