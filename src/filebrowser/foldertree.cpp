#include "foldertree.h"

#include "foldertreemodel.h"
#include "newfilelistbox.h"

#include <QMouseEvent>

#include <exception>

TFolderTree::TFolderTree(QWidget* parent)
    : QTreeView(parent),
      m_model(new TFolderTreeModel(this)), m_keyRest(new QTimer(this))
{
    m_keyRest->setSingleShot(true);
    m_keyRest->setInterval(KeyRestMs);
    connect(m_keyRest, &QTimer::timeout, this, &TFolderTree::KeyboardMoved);
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);

    // The selection keeps its colours when the tree loses the focus.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    const QModelIndex desktop = m_model->DesktopIndex();
    expand(desktop);
    setCurrentIndex(desktop);

    // The file system model fills folders in from a worker thread, so rows
    // above a folder selected by MoveTo can still arrive and push it out of
    // view after the window is shown.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TFolderTree::KeepMovedToVisible);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &TFolderTree::KeepMovedToVisible);
}

QString TFolderTree::SelectedPath() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_model->FilePath(selected.first());
}

bool TFolderTree::MoveTo(const QString& path)
{
    const QModelIndex target = m_model->IndexOf(path);
    if (!target.isValid())
        return false;
    for (QModelIndex up = target.parent(); up.isValid(); up = up.parent())
        expand(up);
    setCurrentIndex(target);
    m_movedTo = target;
    KeepMovedToVisible();
    return true;
}

void TFolderTree::KeepMovedToVisible()
{
    if (m_movedTo.isValid())
        scrollTo(m_movedTo);
}

void TFolderTree::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    KeepMovedToVisible();
}

void TFolderTree::keyPressEvent(QKeyEvent* event)
{
    m_movedTo = QPersistentModelIndex();
    const QModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    if (currentIndex() != before)
        m_keyRest->start(); // restarted by every further move
}

void TFolderTree::wheelEvent(QWheelEvent* event)
{
    m_movedTo = QPersistentModelIndex();
    QTreeView::wheelEvent(event);
}

void TFolderTree::mousePressEvent(QMouseEvent* event)
{
    m_movedTo = QPersistentModelIndex();
    if (event->button() == Qt::RightButton) {
        const QModelIndex under = indexAt(event->position().toPoint());
        if (under.isValid())
            setCurrentIndex(under);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void ApplyTreeClick(const TFolderTree& tree, TNewFileListBox& list)
{
    QString path = tree.SelectedPath();
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    try {
        list.SetDirectory(path);
    } catch (const std::exception&) {
        // The list stays as the failed read left it.
    }
}
