#include "filelistmodel.h"

#include <QMimeType>

namespace {

// Key of the folder icon in the icon table; no extension can look like it.
const QString FolderKey = QStringLiteral("/");

QString KindKey(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : name.mid(dot + 1).toLower();
}

} // namespace

TFileListModel::TFileListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int TFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    const QString& name = m_names.at(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        // A line break in a name would split the line; show it as a symbol.
        if (!name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')))
            return name;
        QString shown = name;
        shown.replace(QLatin1Char('\n'), QChar(0x2424)).replace(QLatin1Char('\r'), QChar(0x240D));
        return shown;
    }
    case Qt::ToolTipRole:
    case NameRole:
        return name;
    case FolderEntryRole:
        return IsFolderEntry(index.row());
    case Qt::DecorationRole:
        return IconFor(index.row());
    default:
        return {};
    }
}

void TFileListModel::SetLines(QStringList folders, QStringList files)
{
    beginResetModel();
    m_folderCount = int(folders.size());
    if (folders.isEmpty()) {
        m_names = std::move(files);
    } else {
        m_names = std::move(folders);
        m_names << files;
    }
    endResetModel();
}

void TFileListModel::Clear()
{
    if (m_names.isEmpty())
        return;
    beginResetModel();
    m_names.clear();
    m_folderCount = 0;
    endResetModel();
}

void TFileListModel::PrependFolders(const QStringList& folders)
{
    if (folders.isEmpty())
        return;
    beginInsertRows(QModelIndex(), 0, int(folders.size()) - 1);
    m_names = folders + m_names;
    m_folderCount += int(folders.size());
    endInsertRows();
}

void TFileListModel::RemoveFolders()
{
    if (m_folderCount == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, m_folderCount - 1);
    m_names.remove(0, m_folderCount);
    m_folderCount = 0;
    endRemoveRows();
}

QIcon TFileListModel::IconFor(int row) const
{
    if (row < 0 || row >= m_names.size())
        return {};
    const bool folder = IsFolderEntry(row);
    const QString key = folder ? FolderKey : KindKey(m_names.at(row));
    auto it = m_icons.constFind(key);
    if (it != m_icons.constEnd())
        return *it;
    QIcon icon;
    if (folder) {
        icon = m_provider.icon(QAbstractFileIconProvider::Folder);
    } else {
        // By name only: QFileIconProvider would open the file to guess its
        // type, which blocks for good on a FIFO.
        const QMimeType mime = m_mimes.mimeTypeForFile(m_names.at(row), QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (icon.isNull())
            icon = m_provider.icon(QAbstractFileIconProvider::File);
    }
    m_icons.insert(key, icon);
    return icon;
}
