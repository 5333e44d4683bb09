#include "newfilelistbox.h"

#include "filelistdelegate.h"
#include "filelistmodel.h"
#include "filelistreader.h"
#include "filenotify.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScopeGuard>

namespace {

const QString NoFolder = QStringLiteral("...");

bool IsNoFolder(const QString& directory)
{
    return directory.isEmpty() || directory == NoFolder;
}

TNotifyKinds KindsFor(TFileType type)
{
    return type.testFlag(ftDirectory) ? TNotifyKinds(nkFileName | nkDirName) : TNotifyKinds(nkFileName);
}

} // namespace

TNewFileListBox::TNewFileListBox(QWidget* parent)
    : QListView(parent),
      m_model(new TFileListModel(this)),
      m_delegate(new TFileListDelegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    UpdateLineHeight();
}

TNewFileListBox::~TNewFileListBox()
{
    // The watcher first: its worker must not report into a half-destroyed list.
    delete m_notifier;
    m_notifier = nullptr;
}

void TNewFileListBox::SetDirectory(const QString& value)
{
    if (value == NoFolder) {
        m_directory = value;
        if (m_reading)
            m_restartPending = true;
        else
            m_model->Clear();
        return;
    }
    // Linux file names are case-sensitive: only the exact text is the same folder.
    if (value == m_directory)
        return;
    m_directory = value;
    // The watch moves before the read, so that a change made while the new
    // folder is read is reported rather than lost.
    if (m_notifier) {
        if (!m_notifier->Directory().isEmpty())
            DropQueuedReport();
        m_notifier->SetDirectory(value);
    }
    Read();
}

void TNewFileListBox::SetMask(const QString& value)
{
    if (value.compare(m_mask, Qt::CaseInsensitive) == 0)
        return;
    m_mask = value;
    Read();
}

void TNewFileListBox::SetFileType(TFileType value)
{
    if (value == m_fileType)
        return;
    if (m_notifier && value.testFlag(ftDirectory) != m_notifier->Kinds().testFlag(nkDirName))
        m_notifier->SetKinds(KindsFor(value));

    const TFileType gained = value & ~m_fileType;
    const TFileType lost = m_fileType & ~value;
    // Only a change of ftDirectory alone can keep the file lines as they are.
    const bool added = gained == TFileType(ftDirectory) && !lost;
    const bool removed = lost == TFileType(ftDirectory) && !gained;
    m_fileType = value;

    if (m_reading || (!added && !removed)) {
        Read();
    } else if (added) {
        if (IsNoFolder(m_directory))
            return;
        TFileListReader::Options options;
        options.folder = FolderPath();
        options.folders = true;
        QStringList folders, files;
        TFileListReader::Scan(options, folders, files);
        if (m_sorted)
            TFileListReader::SortNames(folders);
        m_model->PrependFolders(folders);
    } else {
        m_model->RemoveFolders();
    }
}

void TNewFileListBox::SetSorted(bool value)
{
    if (value == m_sorted)
        return;
    m_sorted = value;
    Read();
}

void TNewFileListBox::SetNotify(bool value)
{
    if (value == Notify())
        return;
    if (!value) {
        StopWatching();
        return;
    }
    m_notifier = new TFileNotify(KindsFor(m_fileType), this);
    m_notifier->SetCallInThread(false);
    m_notifier->SetDirectory(IsNoFolder(m_directory) ? QString() : m_directory);
    connect(m_notifier, &TFileNotify::OnChange, this, &TNewFileListBox::DirectoryChanged);
    m_notifier->StartWatching();
    m_notifier->ResumeWatching();
}

void TNewFileListBox::StopWatching()
{
    // Safe inside a report too: the watcher's worker gives up a pending
    // hand-over as soon as it is told to stop.
    TFileNotify* notifier = m_notifier;
    m_notifier = nullptr;
    delete notifier;
}

bool TNewFileListBox::MultiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TNewFileListBox::SetMultiSelect(bool value)
{
    setSelectionMode(value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QString TNewFileListBox::CurrentName() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->Names().value(current.row()) : QString();
}

void TNewFileListBox::ReadDirectory()
{
    Read();
}

bool TNewFileListBox::Read()
{
    if (m_reading) {
        m_restartPending = true;
        return true;
    }
    UpdateLineHeight();
    m_model->Clear();
    if (IsNoFolder(m_directory))
        return true;

    QPointer<TNewFileListBox> self(this);
    QStringList folders, files;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Keeps mouse clicks away from other controls while the read runs. An
    // application-wide filter rather than grabMouse(): not every platform
    // plugin can grab the mouse (offscreen cannot).
    qApp->installEventFilter(this);
    m_reading = true;
    auto finish = qScopeGuard([&] {
        QApplication::restoreOverrideCursor();
        if (!self)
            return;
        qApp->removeEventFilter(this);
        m_model->SetLines(std::move(folders), std::move(files));
        m_reading = false;
    });

    const auto tick = [&self, this] {
        QCoreApplication::processEvents();
        return self && !m_restartPending;
    };
    do {
        folders.clear();
        files.clear();
        m_restartPending = false;
        // Reports and assignments that queued up before this pass land here.
        if (!tick()) {
            if (!self)
                return false;
            continue;
        }
        if (IsNoFolder(m_directory))
            break;

        TFileListReader::Options options;
        options.folder = FolderPath();
        options.maskParts = TFileListReader::SplitMask(m_mask);
        options.folders = m_fileType.testFlag(ftDirectory);
        const unsigned attributes = SearchAttributes(m_fileType);
        options.hidden = attributes & ftHidden;
        options.system = attributes & ftSystem;
        if (!TFileListReader::Scan(options, folders, files, tick)) {
            if (!self)
                return false;
            continue;
        }
        if (m_sorted) {
            TFileListReader::SortNames(folders);
            TFileListReader::SortNames(files);
        }
    } while (m_restartPending);
    return true;
}

void TNewFileListBox::DirectoryChanged()
{
    if (m_ignoreNextChange) {
        // A report from before the last change of folder: nothing to read.
    } else if (m_reading) {
        m_restartPending = true;
    } else if (!Read()) {
        return;
    }
    m_ignoreNextChange = false;
}

void TNewFileListBox::DropQueuedReport()
{
    // Drops a report that the old folder's watch has already queued, but no
    // later one: the flag is cleared again once the queued events are through.
    // (inotify sends nothing for the re-opened watch itself, so keeping the
    // flag until the next report would swallow a real change.)
    m_ignoreNextChange = true;
    QMetaObject::invokeMethod(this, [this] { m_ignoreNextChange = false; }, Qt::QueuedConnection);
}

int TNewFileListBox::Count() const
{
    return m_model->rowCount();
}

const QStringList& TNewFileListBox::Lines() const
{
    return m_model->Names();
}

bool TNewFileListBox::IsFolderEntry(int line) const
{
    return m_model->IsFolderEntry(line);
}

QStringList TNewFileListBox::SelectedFiles() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (!m_model->IsFolderEntry(index.row()))
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const QString folder = FolderPath();
    QStringList paths;
    paths.reserve(rows.size());
    for (int row : rows)
        paths << folder + m_model->Names().at(row);
    return paths;
}

int TNewFileListBox::LineHeight() const
{
    return m_delegate->LineHeight();
}

void TNewFileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    QPointer<TNewFileListBox> self(this);
    const QModelIndex current = currentIndex();
    if (current.isValid() && !m_model->IsFolderEntry(current.row()))
        Q_EMIT OnFileSelect(m_model->Names().at(current.row()));
    if (self)
        Q_EMIT OnDblClick();
}

bool TNewFileListBox::eventFilter(QObject* watched, QEvent* event)
{
    if (m_reading && watched->isWidgetType() && watched != this
        && !isAncestorOf(static_cast<QWidget*>(watched))) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            break;
        }
    }
    return QListView::eventFilter(watched, event);
}

void TNewFileListBox::UpdateLineHeight()
{
    // Twice the font's point size (16 pixels for an 8-point font), but never
    // less than the text needs on a high-DPI screen.
    const QFont f = font();
    const int byPoints = f.pointSizeF() > 0 ? qRound(2 * f.pointSizeF()) : qRound(1.5 * f.pixelSize());
    const int height = qMax(byPoints, fontMetrics().height());
    if (height == m_delegate->LineHeight())
        return;
    m_delegate->SetLineHeight(height);
    scheduleDelayedItemsLayout();
}

QString TNewFileListBox::FolderPath() const
{
    // Directory names a folder whether or not it ends in "/".
    if (IsNoFolder(m_directory))
        return QString();
    return m_directory.endsWith(QLatin1Char('/')) ? m_directory : m_directory + QLatin1Char('/');
}
