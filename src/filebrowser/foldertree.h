#pragma once

#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeView>

class TFolderTreeModel;
class TNewFileListBox;

// The folder tree: a Desktop node (expanded and selected at start) with the
// home folder, "/" and the Desktop folder below it, folders only, read
// lazily as nodes open and not refreshed on its own. A right click selects
// the node under the mouse; the selection stays marked without the focus.
// Mouse clicks are reported by clicked(); keyboard moves by KeyboardMoved(),
// once the keys have rested a moment, so holding an arrow key does not read
// every folder on the way.
class TFolderTree final : public QTreeView
{
    Q_OBJECT
public:
    static constexpr int KeyRestMs = 300;

    explicit TFolderTree(QWidget* parent = nullptr);

    // The selected folder's path; empty for the Desktop node or no selection.
    QString SelectedPath() const;
    // Opens the way to an existing folder and selects it; false when there
    // is no such folder (or it cannot be shown, e.g. a hidden one).
    bool MoveTo(const QString& path);

    TFolderTreeModel* FolderModel() const { return m_model; }

Q_SIGNALS:
    // The keyboard moved the selection to another node and the keys rest.
    void KeyboardMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void KeepMovedToVisible();

    TFolderTreeModel* m_model;
    QTimer* m_keyRest;
    // The folder MoveTo selected, kept in view until the user takes over.
    QPersistentModelIndex m_movedTo;
};

// The tree's click: points the list at the selected folder (its path with
// "/" appended; the empty path empties the list). A folder the list cannot
// read leaves it as the read left it, without a message.
void ApplyTreeClick(const TFolderTree& tree, TNewFileListBox& list);
