#include "mainwindow.h"

#include "aboutdialog.h"
#include "compressvalues.h"
#include "decoderpipe.h"
#include "emptyhint.h"
#include "filedrop.h"
#include "batchrun.h"
#include "foldertree.h"
#include "helpwindow.h"
#include "icons.h"
#include "listkeys.h"
#include "newfilelistbox.h"
#include "outputpreview.h"
#include "paths.h"
#include "prefdialog.h"
#include "propdialog.h"
#include "queueadder.h"
#include "queuelist.h"
#include "settingsstore.h"
#include "sourcetags.h"
#include "sourcepaths.h"
#include "tageditor.h"
#include "updown.h"
#include "windowrunview.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int TagBoxOffset = 9; // left offset of the tag box inside ScrollBox1

// A button that shows an action: caption (with its accelerator), picture and
// enabled state follow the action, and a click triggers it.
void BindButton(QAbstractButton* button, QAction* action)
{
    auto sync = [button, action] {
        button->setText(action->text());
        button->setIcon(action->icon());
        button->setEnabled(action->isEnabled());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
}

// A caption centred above a control, the pair filling a panel.
QWidget* CaptionedPanel(const QString& objectName, QLabel* caption, QWidget* content,
                        QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(objectName);
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption);
    layout->addWidget(content, 1);
    return panel;
}

QLabel* NamedLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

} // namespace

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
    m_run = new TBatchRun(m_queue, m_settings, *m_runView, this);
    m_run->setObjectName(QStringLiteral("BatchRun"));
    connect(m_run, &TBatchRun::Finished, this, &TMainF::UpdateQueueActions);
    m_preview = new TOutputPreview(m_queue, *m_queueList, m_settings,
                                   [this] { return CurrentMode(); }, this);
    m_preview->SetRun(m_run);
    connect(m_tagEditor, &TTagEditor::Edited, m_preview, &TOutputPreview::MarkDirty);
    connect(m_modeGroup, &QButtonGroup::idToggled, m_preview, &TOutputPreview::MarkDirty);
    m_adder = new TQueueAdder([this](const QString& path) { AddToQueue(path); }, this);
    connect(m_adder, &TQueueAdder::BusyChanged, this, [this](bool busy) {
        m_preview->SetHeld(busy);
        UpdateQueueActions();
    });
    connect(m_adder, &TQueueAdder::Progress, this,
            [this](int done, int total) { m_runView->ShowAddProgress(done, total); });

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

void TMainF::BuildActions()
{
    auto make = [this](const char* name, const QString& text, const QIcon& icon,
                       void (TMainF::*handler)()) {
        auto* a = new QAction(icon, text, this);
        a->setObjectName(QLatin1String(name));
        a->setIconVisibleInMenu(false);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    acAdd = make("acAdd", tr("&Добавить"), Icons::Add(), &TMainF::AddBtnClick);
    acDel = make("acDel", tr("&Удалить"), Icons::Remove(), &TMainF::DelBtnClick);
    acDelCompleted = make("acDelCompleted", tr("У&далить обработанные"), QIcon(),
                          &TMainF::N15Click);
    acQClear = make("acQClear", tr("Очистить &очередь"), QIcon(), &TMainF::N10Click);
    acProp = make("acProp", tr("&Свойства..."), QIcon(), &TMainF::N12Click);
    acGO = make("acGO", tr("&Вперед!"), Icons::Go(), &TMainF::GoBtnClick);
    acCancel = make("acCancel", tr("&Отмена"), Icons::Cancel(), &TMainF::CancelBtnClick);

    // The queue's context menu has entries of its own: their enabled state is
    // decided each time the menu opens and must not reach buttons or main menu.
    m_n9 = new QAction(tr("&Удалить текущий"), this);
    m_n9->setObjectName(QStringLiteral("N9"));
    connect(m_n9, &QAction::triggered, acDel, &QAction::trigger);
    m_n10 = new QAction(acQClear->text(), this);
    m_n10->setObjectName(QStringLiteral("N10"));
    connect(m_n10, &QAction::triggered, acQClear, &QAction::trigger);
    m_n12 = new QAction(acProp->text(), this);
    m_n12->setObjectName(QStringLiteral("N12"));
    connect(m_n12, &QAction::triggered, acProp, &QAction::trigger);
}

void TMainF::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(tr("&Файл"));
    file->setObjectName(QStringLiteral("N1"));
    m_n4 = file->addAction(tr("&Добавить в очередь..."), this, &TMainF::N4Click);
    m_n4->setObjectName(QStringLiteral("N4"));
    file->addSeparator();
    QAction* n6 = file->addAction(tr("&Выход"), this, &QWidget::close);
    n6->setObjectName(QStringLiteral("N6"));

    QMenu* queue = bar->addMenu(tr("О&чередь"));
    queue->setObjectName(QStringLiteral("mmiQ"));
    queue->addAction(acAdd);
    queue->addSeparator();
    queue->addActions({acDel, acDelCompleted, acQClear});
    queue->addSeparator();
    queue->addAction(acProp);
    queue->addSeparator();
    queue->addActions({acGO, acCancel});

    QMenu* options = bar->addMenu(tr("&Опции"));
    options->setObjectName(QStringLiteral("N2"));
    QAction* n7 = options->addAction(tr("&Параметры..."), this, &TMainF::N7Click);
    n7->setObjectName(QStringLiteral("N7"));

    QMenu* help = bar->addMenu(QStringLiteral("&?"));
    help->setObjectName(QStringLiteral("N3"));
    QAction* n14 = help->addAction(tr("&Справка..."), this, &TMainF::N14Click);
    n14->setObjectName(QStringLiteral("N14"));
    n14->setShortcut(QKeySequence(Qt::Key_F1));
    n14->setShortcutContext(Qt::WindowShortcut);
    help->addSeparator();
    QAction* n8 = help->addAction(tr("&О программе..."), this, &TMainF::N8Click);
    n8->setObjectName(QStringLiteral("N8"));

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_popupMenu1->addActions({m_n9, acDelCompleted, m_n10});
    m_popupMenu1->addSeparator();
    m_popupMenu1->addAction(m_n12);
    connect(m_popupMenu1, &QMenu::aboutToShow, this, &TMainF::PopupMenu1Popup);
    m_queueList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_queueList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_popupMenu1->popup(m_queueList->viewport()->mapToGlobal(pos));
    });

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    m_popupMenu2->addAction(acAdd); // N16
    m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_fileList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_popupMenu2->popup(m_fileList->mapToGlobal(pos));
    });
}

QWidget* TMainF::BuildUpperBand()
{
    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameShape(QFrame::StyledPanel);
    panel1->setMinimumHeight(80);

    m_tree = new TFolderTree(panel1);
    m_tree->setObjectName(QStringLiteral("shDirs"));
    connect(m_tree, &QAbstractItemView::clicked, this, &TMainF::shDirsClick);
    connect(m_tree, &TFolderTree::KeyboardMoved, this, &TMainF::shDirsClick);

    m_fileList = new TNewFileListBox(panel1);
    m_fileList->setObjectName(QStringLiteral("FileList"));
    m_fileList->SetMultiSelect(true);
    m_fileList->SetMask(QStringLiteral("*.wav"));
    connect(m_fileList, &TNewFileListBox::OnDblClick, this, &TMainF::FileListDblClick);

    m_label2 = NamedLabel(QStringLiteral("Label2"), tr("Файлы: *.wav"), panel1);

    auto* splitter2 = new QSplitter(Qt::Horizontal, panel1);
    splitter2->setObjectName(QStringLiteral("Splitter2"));
    splitter2->setOpaqueResize(true);
    splitter2->setChildrenCollapsible(false);
    splitter2->addWidget(CaptionedPanel(
        QStringLiteral("Panel2"), NamedLabel(QStringLiteral("Label1"), tr("Дерево папок"), panel1),
        m_tree, panel1));
    splitter2->addWidget(CaptionedPanel(QStringLiteral("Panel3"), m_label2, m_fileList, panel1));
    splitter2->setStretchFactor(0, 0);
    splitter2->setStretchFactor(1, 1);
    splitter2->setSizes({255, 420});

    auto* layout = new QVBoxLayout(panel1);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter2);
    return panel1;
}

QWidget* TMainF::BuildLowerBand()
{
    auto* splitter3 = new QSplitter(Qt::Horizontal, this);
    splitter3->setObjectName(QStringLiteral("Splitter3"));
    splitter3->setOpaqueResize(true);
    splitter3->setChildrenCollapsible(false);

    m_queueList = new TQueueList(m_queue, splitter3);
    connect(m_queueList, &TQueueList::LineSelected, this, &TMainF::QueueLstClick);
    // The editor must let go of a job before the list deletes it.
    connect(m_queueList, &TQueueList::CurrentDropping, this,
            [this] { m_tagEditor->SetCurrentJob(nullptr); });
    splitter3->addWidget(CaptionedPanel(
        QStringLiteral("Panel4"), NamedLabel(QStringLiteral("Label3"), tr("Очередь:"), splitter3),
        m_queueList, splitter3));
    splitter3->addWidget(BuildRightPanel());
    splitter3->setStretchFactor(0, 1);
    splitter3->setStretchFactor(1, 0);
    return splitter3;
}

QWidget* TMainF::BuildRightPanel()
{
    auto* panel5 = new QWidget(this);
    panel5->setObjectName(QStringLiteral("Panel5"));
    panel5->setMinimumWidth(410);

    m_scrollBox = new QScrollArea(panel5);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setWidgetResizable(true);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(m_scrollBox);

    auto* modeRG = new QGroupBox(tr("Режим"), content);
    modeRG->setObjectName(QStringLiteral("ModeRG"));
    m_modeGroup = new QButtonGroup(modeRG);
    auto* modeLayout = new QHBoxLayout(modeRG);
    const QString modeTexts[] = {tr("С&жатие"), tr("Д&екодирование")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(modeTexts[i], modeRG);
        radio->setObjectName(QStringLiteral("ModeRG_%1").arg(i));
        m_modeGroup->addButton(radio, i);
        modeLayout->addWidget(radio, 1);
    }
    m_modeGroup->button(0)->setChecked(true);
    // The checked state drives the mode, however it changed (mouse, keys,
    // an accessibility action), so the buttons and the mask always agree.
    connect(m_modeGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            ModeRGClick(id);
    });

    m_tagEditor = new TTagEditor(content);

    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(TagBoxOffset, 4, TagBoxOffset, 4);
    contentLayout->addWidget(modeRG);
    contentLayout->addWidget(m_tagEditor);
    contentLayout->addStretch(1);
    m_scrollBox->setWidget(content);

    m_upDown = new TUpDown(panel5);
    m_upDown->setObjectName(QStringLiteral("UpDown1"));
    connect(m_upDown, &TUpDown::Clicked, this, &TMainF::UpDown1Click);

    auto* addBtn = new QPushButton(panel5);
    addBtn->setObjectName(QStringLiteral("AddBtn"));
    BindButton(addBtn, acAdd);
    auto* delBtn = new QPushButton(panel5);
    delBtn->setObjectName(QStringLiteral("DelBtn"));
    BindButton(delBtn, acDel);
    for (QPushButton* b : {addBtn, delBtn})
        b->setMinimumSize(98, 25);

    auto* goBtn = new QPushButton(panel5);
    goBtn->setObjectName(QStringLiteral("GoBtn"));
    BindButton(goBtn, acGO);
    QFont goFont(QStringLiteral("Times New Roman"));
    goFont.setStyleHint(QFont::Serif);
    goFont.setPixelSize(27);
    goBtn->setFont(goFont);
    goBtn->setIconSize(QSize(24, 24));
    goBtn->setMinimumSize(192, 57);

    auto* cancelBtn = new QToolButton(panel5);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    BindButton(cancelBtn, acCancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cancelBtn->setIconSize(QSize(24, 24));
    cancelBtn->setMinimumSize(65, 57);

    auto* smallButtons = new QVBoxLayout;
    smallButtons->setSpacing(4);
    smallButtons->addWidget(addBtn);
    smallButtons->addWidget(delBtn);

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(m_upDown);
    row->addLayout(smallButtons);
    row->addWidget(goBtn);
    row->addWidget(cancelBtn);
    row->addStretch(1);

    auto* layout = new QVBoxLayout(panel5);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(m_scrollBox, 1);
    layout->addLayout(row);
    return panel5;
}

void TMainF::FormCreate()
{
    // The queue exists already (a member). Make the tag box fit the scroll
    // box with equal margins on both sides, leaving room for the vertical
    // scroll bar that a low window needs.
    m_scrollBox->setMinimumWidth(m_tagEditor->sizeHint().width() + 2 * TagBoxOffset +
                                 m_scrollBox->verticalScrollBar()->sizeHint().width());

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
    delete m_run;
    m_run = nullptr;
    m_tagEditor->SetCurrentJob(nullptr);
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
    return (m_run && m_run->IsRunning()) || (m_adder && m_adder->IsBusy());
}

void TMainF::UpdateQueueActions()
{
    // The run keeps its own list of jobs, but the queue still must not be
    // reshaped under it: adding, removing, reordering and a second start
    // wait, as they do while a long add is going on.
    const bool locked = QueueLocked();
    for (QAction* a : {acAdd, acDel, acDelCompleted, acQClear, acGO, m_n4})
        a->setEnabled(!locked);
    m_upDown->setEnabled(!locked);
}

void TMainF::AddToQueue(const QString& path)
{
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
    // which have no use for them.
    const TSourceTags tags = CurrentMode() != DecodeMode && m_settings.AllSourceFormats
                                 ? TSourceTags::Read(path)
                                 : TSourceTags();
    m_queueList->AddToQueue(path, [this, &tags](TQueueItem& job) {
        TCompressValues::From(m_settings).StoreTo(job);
        m_tagEditor->InitNewJob(job, &tags);
    });
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
    TPropF::Run(m_queue, m_queueList->CurrentLine(), this);
    m_preview->MarkDirty();
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
    // "Source formats" may have changed the encoding mode's mask.
    if (CurrentMode() != DecodeMode && m_fileList->Mask() != EncodeMask()) {
        ModeRGClick(CurrentMode());
    }
    m_preview->MarkDirty();
}

void TMainF::N14Click()
{
    if (!m_help)
        m_help = new THelpWindow(this);
    m_help->ShowContents();
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
