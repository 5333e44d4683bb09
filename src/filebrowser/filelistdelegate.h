#pragma once

#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

// Draws one file-list line: the entry's icon at the left, its name after it,
// all lines of one fixed height. The icon cell is sized from the line height
// when the first line is drawn and kept for the life of the list; scaled
// icons are kept per icon, so lines of one kind share one pixmap.
class TFileListDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TFileListDelegate(QObject* parent = nullptr);

    int LineHeight() const { return m_lineHeight; }
    void SetLineHeight(int height);
    // -1 until the first line is drawn.
    int IconSide() const { return m_iconSide; }
    int TextOffset() const { return m_iconSide < 0 ? -1 : m_iconSide + 8; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_lineHeight = 16;
    mutable int m_iconSide = -1;
    mutable QHash<qint64, QPixmap> m_cells;
};
