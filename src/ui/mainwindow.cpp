#include "mainwindow.h"

#include "aboutdialog.h"
#include "decoderpipe.h"
#include "emptyhint.h"
#include "filedrop.h"
#include "batchrun.h"
#include "foldertree.h"
#include "helpwindow.h"
#include "icons.h"
#include "listkeys.h"
#include "logwindow.h"
#include "newfilelistbox.h"
#include "newjob.h"
#include "outputpreview.h"
#include "paths.h"
#include "prefdialog.h"
#include "propdialog.h"
#include "queueadder.h"
#include "queuekeeper.h"
#include "queuelist.h"
#include "rundesktop.h"
#include "runlog.h"
#include "settingsstore.h"
#include "sourcereader.h"
#include "sourcetagfiller.h"
#include "sourcetags.h"
#include "sourcepaths.h"
#include "tageditor.h"
#include "updown.h"
#include "windowrunview.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>

TMainF::TMainF(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QStringLiteral("Tessary"));
    setWindowIcon(Icons::Program());
    resize(675, 434 + 60);

    BuildActions();

    auto* splitter1 = new QSplitter(Qt::Vertical, this);
    splitter1->setObjectName(QStringLiteral("Splitter1"));
    splitter1->setHandleWidth(4);
    splitter1->setOpaqueResize(true);
    splitter1->setChildrenCollapsible(false);
    splitter1->addWidget(BuildUpperBand());
    splitter1->addWidget(BuildLowerBand());
    splitter1->setStretchFactor(0, 0);
    splitter1->setStretchFactor(1, 1);
    splitter1->setSizes({200, 300});
    setCentralWidget(splitter1);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    m_runView = std::make_unique<TWindowRunView>(*statusBar(), *m_queueList,
                                                 [this] { return CurrentMode(); }, this);
    m_reader = new TSourceReader(this);
    m_run = new TBatchRun(m_queue, m_settings, *m_runView, this);
    m_run->setObjectName(QStringLiteral("BatchRun"));
    m_run->SetSourceReader(m_reader);
    connect(m_run, &TBatchRun::Finished, this, &TMainF::UpdateQueueActions);
    m_log = std::make_unique<TRunLog>();
    m_run->SetLog(m_log.get());
    m_desktop = new TRunDesktop(*m_run, *this, m_settings, this);
    connect(m_run, &TBatchRun::Finished, this, [this] {
        if (m_logWindow && m_logWindow->isVisible())
            m_logWindow->Reload();
    });
    m_preview = new TOutputPreview(m_queue, *m_queueList, m_settings,
                                   [this] { return CurrentMode(); }, this);
    m_preview->SetRun(m_run);
    connect(m_tagEditor, &TTagEditor::Edited, m_preview, &TOutputPreview::MarkDirty);
    connect(m_modeGroup, &QButtonGroup::idToggled, m_preview, &TOutputPreview::MarkDirty);
    m_adder = new TQueueAdder([this](const QString& path) { AddToQueue(path); }, this);
    // An add ends when its files' tags are in as well.
    m_tagFiller = new TSourceTagFiller(m_queue, *m_reader, this);
    auto addBusy = [this] {
        m_preview->SetHeld(m_adder->IsBusy() || m_tagFiller->IsBusy());
        UpdateQueueActions();
    };
    connect(m_adder, &TQueueAdder::BusyChanged, this, addBusy);
    connect(m_tagFiller, &TSourceTagFiller::BusyChanged, this, addBusy);
    connect(m_tagFiller, &TSourceTagFiller::Applied, this, [this](quint64 id) {
        if (TQueueItem* job = m_queue.Find(id); job && m_tagEditor->CurrentJob() == job)
            m_tagEditor->SetCurrentJob(job);
        m_preview->MarkDirty();
    });
    connect(m_tagFiller, &TSourceTagFiller::Unreadable, this,
            [this](quint64 id, const QString& reason) {
                if (const int line = m_queue.IndexOfId(id); line >= 0)
                    m_queueList->SetLineFailure(line, TSourceTagFiller::UnreadableText(reason));
            });
    connect(m_adder, &TQueueAdder::Progress, this,
            [this](int done, int total) { m_runView->ShowAddProgress(done, total); });

    m_keeper = new TQueueKeeper(m_queue, *m_queueList, *m_adder, this);
    m_keeper->SetRun(m_run);
    m_keeper->SelectLine = [this](int line) { m_queueList->setCurrentRow(line); };
    connect(m_tagEditor, &TTagEditor::Edited, m_keeper, &TQueueKeeper::Changed);
    connect(m_run, &TBatchRun::JobStarted, m_keeper, &TQueueKeeper::ChangedSoon);
    connect(m_run, &TBatchRun::Finished, m_keeper, &TQueueKeeper::ChangedSoon);
    connect(m_keeper, &TQueueKeeper::Opened, this, &TMainF::UpdateQueueActions);
    PickQueueFile = [](QWidget* p, bool save, const QString& dir) {
        return save ? QFileDialog::getSaveFileName(p, tr("Сохранение очереди"), dir,
                                                   TQueueKeeper::FileFilter())
                    : QFileDialog::getOpenFileName(p, tr("Открытие очереди"), dir,
                                                   TQueueKeeper::FileFilter());
    };

    BuildMenus();

    // Keys for what the mouse does in the lists: Enter adds the selected
    // files, Delete removes the current job.
    ListKeys::Bind(m_fileList, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, acAdd);
    ListKeys::Bind(m_queueList, {QKeySequence(QKeySequence::Delete)}, acDel);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_tree),
                                    static_cast<QAbstractItemView*>(m_fileList),
                                    static_cast<QAbstractItemView*>(m_queueList)})
        ListKeys::MarkFocus(view);
    TEmptyHint::Install(m_fileList, [this] {
        if (!QFileInfo(m_fileList->Directory()).isDir())
            return tr("Выберите папку в дереве слева");
        if (CurrentMode() != DecodeMode && !m_settings.AllSourceFormats
            && SourcePaths::HasOtherSources(m_fileList->Directory()))
            return tr("Здесь есть файлы FLAC, Ogg, Opus и других форматов. Чтобы сжимать их, "
                      "включите «Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack» "
                      "в «Опции → Параметры → Дополнительно».");
        return tr("В этой папке нет файлов ") + m_fileList->Mask();
    });
    TEmptyHint::Install(m_queueList, [] {
        return tr("Очередь пуста. Выберите файлы вверху и нажмите «Добавить» "
                              "или дважды щёлкните файл.");
    });

    // Files and folders from a file manager: onto the queue they are added
    // as the command line adds them; onto the tree, the folder is shown.
    TFileDrop::Install(
        m_queueList, [this] { return !(m_run && m_run->IsRunning()); },
        [this](const QStringList& paths) { AddSources(paths); });
    TFileDrop::Install(
        m_tree, [] { return true; },
        [this](const QStringList& paths) {
            const QFileInfo first(paths.front());
            const QString folder = first.isDir() ? first.absoluteFilePath() : first.absolutePath();
            if (m_tree->MoveTo(folder))
                shDirsClick();
        });

    PickFile = [](QWidget* p, const QString& title, const QString& dir, const QString& filter) {
        return QFileDialog::getOpenFileName(p, title, dir, filter);
    };

    FormCreate();
}

TMainF::~TMainF()
{
    FormDestroy(nullptr);
}

void TMainF::FormCreate()
{
    // The queue exists already (a member).
    FitMinimumSize();

    LoadSettings(m_settings, [this](const QString& folder) {
        if (!m_tree->MoveTo(folder))
            return false;
        shDirsClick();
        return true;
    });
    m_tagEditor->FillGenres();
    m_modeGroup->button(0)->setChecked(true);
    ModeRGClick(0);
    m_preview->MarkDirty();
}

void TMainF::closeEvent(QCloseEvent* event)
{
    // No confirmation, not even with unprocessed jobs or during a run.
    FormDestroy(this);
    event->accept();
}

void TMainF::FormDestroy(QWidget* messageParent)
{
    if (m_destroyed)
        return;
    m_destroyed = true;

    // A run in progress ends with the window; its encoders go with it.
    m_adder->Stop();
    m_preview->SetRun(nullptr);
    m_keeper->SetRun(nullptr);
    delete m_run;
    m_run = nullptr;
    m_tagEditor->SetCurrentJob(nullptr);
    // Before the queue is emptied: the journal keeps what the window had.
    const bool keep = m_settings.KeepQueue;
    m_keeper->Close(keep ? TQueueJournal::TEnd::Keep
                         : m_closingBySignal ? TQueueJournal::TEnd::Leave
                                             : TQueueJournal::TEnd::Remove);
    m_queueList->ClearQueue();

    SaveSettings(m_settings, m_tree->SelectedPath(), [messageParent](const QString& message) {
        QMessageBox::critical(messageParent, QStringLiteral("Tessary"), message);
    });
}

int TMainF::CurrentMode() const
{
    const int id = m_modeGroup->checkedId();
    return id < 0 ? EncodeMode : id;
}

bool TMainF::QueueLocked() const
{
    return (m_run && m_run->IsRunning()) || (m_adder && m_adder->IsBusy())
           || (m_keeper && m_keeper->IsOpening()) || (m_tagFiller && m_tagFiller->IsBusy());
}

void TMainF::UpdateQueueActions()
{
    // The run keeps its own list of jobs, but the queue still must not be
    // reshaped under it: adding, removing, reordering and a second start
    // wait, as they do while a long add is going on.
    const bool locked = QueueLocked();
    for (QAction* a : {acAdd, acDel, acDelCompleted, acQClear, acGO, m_n4, m_queueOpen})
        a->setEnabled(!locked);
    m_upDown->setEnabled(!locked);
}

void TMainF::AddToQueue(const QString& path)
{
    // A job of a queue file being opened comes with its own values.
    if (m_keeper->AddFromFile(path))
        return;
    // A file listed a while ago may be gone or replaced; such a path would
    // make a blank line that only fails later.
    const QFileInfo file(path);
    if (!file.isFile()) {
        m_runView->SetStatusText((file.exists() ? tr("Это не файл: ")
                                                : tr("Файл больше не существует: "))
                                 + path);
        if (Paths::FolderPart(path) == m_fileList->Directory())
            m_fileList->ReadDirectory();
        return;
    }
    // Source tags come with the other source kinds: with "Source formats" at
    // 0 a new job is made exactly as before. Decoding mode reads MP3 files,
    // which have no use for them. The reader answers later; the job is made
    // now and gets the tags, through the same steps, when they come.
    const bool sourceTags = CurrentMode() != DecodeMode && m_settings.AllSourceFormats;
    const NewJob::Fixed fixed = m_tagEditor->FixedForNewJobs();
    const TQueueItem* job = m_queueList->AddToQueue(path, [this, &fixed](TQueueItem& job) {
        NewJob::Init(job, m_settings, fixed, nullptr);
    });
    if (job && sourceTags) {
        m_tagFiller->Request(*job, [fixed](TQueueItem& job, const TSourceTags* tags) {
            NewJob::ApplyTags(job, fixed, tags);
        });
    }
}

QStringList TMainF::AddSources(const QStringList& paths)
{
    if (QueueLocked())
        return paths;
    const SourcePaths::Result sources = SourcePaths::Expand(paths, m_fileList->Mask());
    m_adder->Add(sources.files);
    return sources.refused;
}

void TMainF::AddBtnClick()
{
    if (QueueLocked())
        return;
    m_adder->Add(m_fileList->SelectedFiles());
}

void TMainF::FileListDblClick()
{
    if (QueueLocked())
        return;
    const QString name = m_fileList->CurrentName();
    if (!name.isEmpty())
        AddToQueue(m_fileList->Directory() + name);
}

void TMainF::N4Click()
{
    if (QueueLocked())
        return;
    const QString filter =
        SourcePaths::OpenFilter(CurrentMode() == DecodeMode, m_settings.AllSourceFormats);
    const QString path = PickFile(this, tr("Добавление файла в очередь..."),
                                  m_fileList->Directory(), filter);
    if (!path.isEmpty())
        AddToQueue(path);
}

void TMainF::DelBtnClick()
{
    if (QueueLocked())
        return;
    m_queueList->DeleteCurrent();
}

void TMainF::N15Click()
{
    if (QueueLocked())
        return;
    m_queueList->DeleteProcessed();
}

void TMainF::N10Click()
{
    if (QueueLocked())
        return;
    m_queueList->ClearQueue();
}

void TMainF::N12Click()
{
    TPropF::Run(m_queue, m_queueList->CurrentLine(), this, &m_settings);
    m_preview->MarkDirty();
    m_keeper->Changed();
}

void TMainF::GoBtnClick()
{
    if (!m_run || QueueLocked())
        return;
    TExistingOutput answer = TExistingOutput::Ask;
    if (m_settings.ExistingOutput == TExistingOutput::Ask) {
        if (const TExistingDlg::Pairs existing = m_preview->ExistingOutputs(); !existing.empty()) {
            const std::optional<TExistingOutput> chosen = AskExisting(existing, this);
            if (!chosen)
                return;
            answer = *chosen;
        }
    }
    m_run->Start(answer);
    m_preview->MarkDirty();
    // An empty queue, or one with every line ticked, may end inside Start().
    UpdateQueueActions();
}

void TMainF::CancelBtnClick()
{
    if (m_run)
        m_run->Cancel();
}

void TMainF::N7Click()
{
    TPrefF::Run(m_settings, m_queue, this);
    m_keeper->Changed();
    // "Source formats" may have changed the encoding mode's mask.
    if (CurrentMode() != DecodeMode && m_fileList->Mask() != EncodeMask()) {
        ModeRGClick(CurrentMode());
    }
    m_preview->MarkDirty();
}

void TMainF::StartJournal(std::function<void()> settled)
{
    m_keeper->Start(std::move(settled));
    UpdateQueueActions();
}

bool TMainF::OpenQueueFile(const QString& path)
{
    if (QueueLocked())
        return false;
    m_keeper->Open(path);
    UpdateQueueActions();
    return true;
}

void TMainF::QueueOpenClick()
{
    if (QueueLocked())
        return;
    const QString dir = m_settings.QueueFolder.isEmpty() ? QDir::homePath() : m_settings.QueueFolder;
    const QString path = PickQueueFile(this, false, dir);
    if (path.isEmpty())
        return;
    m_settings.QueueFolder = QFileInfo(path).absolutePath();
    OpenQueueFile(path);
}

void TMainF::QueueSaveClick()
{
    const QString dir = m_settings.QueueFolder.isEmpty() ? QDir::homePath() : m_settings.QueueFolder;
    const QString path = PickQueueFile(this, true, dir);
    if (path.isEmpty())
        return;
    m_settings.QueueFolder = QFileInfo(path).absolutePath();
    m_keeper->Save(path);
}

void TMainF::N14Click()
{
    if (!m_help)
        m_help = new THelpWindow(this);
    m_help->ShowContents();
}

TLogWindow* TMainF::LogWindow() const
{
    return m_logWindow;
}

void TMainF::LogClick()
{
    if (!m_logWindow)
        m_logWindow = new TLogWindow(m_log->Folder(), this);
    else
        m_logWindow->Reload();
    m_logWindow->show();
    m_logWindow->raise();
    m_logWindow->activateWindow();
}

void TMainF::N8Click()
{
    TAboutF about(this);
    about.exec();
}

QString TMainF::EncodeMask() const
{
    return m_settings.AllSourceFormats ? TDecoderPipe::SourceMask() : QStringLiteral("*.wav");
}

void TMainF::ModeRGClick(int index)
{
    const QString mask = index == DecodeMode ? QStringLiteral("*.mp?") : EncodeMask();
    m_fileList->SetMask(mask);
    m_fileList->update();
    m_label2->setText(tr("Файлы: ") + mask);
}

void TMainF::UpDown1Click(bool up)
{
    if (QueueLocked())
        return;
    m_queueList->MoveCurrent(up);
}

void TMainF::QueueLstClick(int line)
{
    m_tagEditor->SetCurrentJob(m_queue.Items(line));
}

void TMainF::PopupMenu1Popup()
{
    const bool current = m_queueList->CurrentLine() >= 0;
    m_n9->setEnabled(current && acDel->isEnabled());
    m_n12->setEnabled(current);
    m_n10->setEnabled(m_queueList->count() > 0 && acQClear->isEnabled());
}

void TMainF::shDirsClick()
{
    ApplyTreeClick(*m_tree, *m_fileList);
}
