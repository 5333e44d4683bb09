#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QMimeData;

// Files and folders dropped from a file manager onto a list or tree: the
// local paths of the drop's URLs, in the order given, are handed on. A drop
// is refused (the cursor says so) while accepting() says no, and always
// when it carries no local file.
class TFileDrop final : public QObject
{
    Q_OBJECT
public:
    static TFileDrop* Install(QAbstractItemView* view, std::function<bool()> accepting,
                              std::function<void(const QStringList&)> dropped);

    // The local file paths of a drag's data, in order.
    static QStringList LocalPaths(const QMimeData* data);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFileDrop(QAbstractItemView* view, std::function<bool()> accepting,
              std::function<void(const QStringList&)> dropped);

    std::function<bool()> m_accepting;
    std::function<void(const QStringList&)> m_dropped;
};
