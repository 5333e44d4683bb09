#pragma once

#include "existingdialog.h"
#include "programsettings.h"
#include "queue.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QLabel;
class QMenu;
class QScreen;
class QScrollArea;
class TBatchRun;
class TFolderTree;
class THelpWindow;
class TNewFileListBox;
class TOutputPreview;
class TQueueAdder;
class TLogWindow;
class TQueueKeeper;
class TQueueList;
class TRunDesktop;
class TRunLog;
class TSourceReader;
class TSourceTagFiller;
class TTagEditor;
class TUpDown;
class TWindowRunView;

// The main window and owner of the program's state: the job queue, the
// program settings and the batch run. Loads the settings when it is created
// and saves them (with the folder open in the tree) when it closes.
class TMainF final : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainF(QWidget* parent = nullptr);
    ~TMainF() override;

    ProgramSettings& Settings() { return m_settings; }
    TQueue& Queue() { return m_queue; }
    TBatchRun* BatchRun() const { return m_run; }
    TOutputPreview* OutputPreview() const { return m_preview; }
    TQueueAdder* QueueAdder() const { return m_adder; }
    TRunDesktop* Desktop() const { return m_desktop; }
    // The "Журнал" window, opened by "О&чередь → &Журнал..." (null until then).
    TLogWindow* LogWindow() const;
    // The reader helpers every look inside a source goes through.
    TSourceReader* SourceReader() const { return m_reader; }
    TSourceTagFiller* SourceTagFiller() const { return m_tagFiller; }
    int CurrentMode() const;
    TQueueKeeper* QueueKeeper() const { return m_keeper; }

    // Starts keeping the queue's journal, once the window is shown: restores
    // the queue kept at the last close and offers the one a crash left.
    // settled runs once that is decided.
    void StartJournal(std::function<void()> settled = {});
    // Adds the jobs of a queue file (the queue menu, the command line);
    // refused, false, while a run or an add is under way.
    bool OpenQueueFile(const QString& path);
    // The window is being closed on a signal (a logout, kill): the journal
    // is left for the next start to offer, not removed.
    void SetClosingBySignal() { m_closingBySignal = true; }

    // Turns a file path into a new job and queue line; an exact path that is
    // already queued is ignored.
    void AddToQueue(const QString& path);
    // Queues files and folders handed over at once (the command line): the
    // current mode's files, folders with their sub-folders. Returns the
    // paths it refused. A long list is added across turns of the event loop.
    QStringList AddSources(const QStringList& paths);

    // The add-file dialog: returns the chosen existing file, or an empty
    // string when the user cancels. Replaceable so tests never open it.
    std::function<QString(QWidget* parent, const QString& title, const QString& dir,
                          const QString& filter)>
        PickFile;

    // The dialogs of "Сохранить очередь..." (save) and "Открыть очередь...":
    // the chosen path, or empty. Replaceable so tests never open them.
    std::function<QString(QWidget* parent, bool save, const QString& dir)> PickQueueFile;

    // The question before a run whose outputs exist already: the answer, or
    // nullopt for "Отмена". Replaceable so tests never open the dialog.
    std::function<std::optional<TExistingOutput>(const TExistingDlg::Pairs& files, QWidget* parent)>
        AskExisting = &TExistingDlg::Ask;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    QWidget* BuildUpperBand();
    QWidget* BuildLowerBand();
    QWidget* BuildRightPanel();
    // The minimum sizes the layouts build the window's from: the buttons at
    // least their design sizes, the scroll box wide enough for the tag box
    // with equal margins and high enough for the whole mode group and tag
    // editor, unless the screen's free area is lower. Run again whenever the
    // font, the style, the layouts or the screen change.
    void FitMinimumSize();
    // Follows the free area of the screen the window is on.
    void WatchScreen(QScreen* screen);
    void FormCreate();
    // Empties the queue and saves the settings; runs once, from closing or
    // from destruction, whichever comes first.
    void FormDestroy(QWidget* messageParent);
    // A run, or an add spread over several turns, is under way: the queue
    // must not be reshaped meanwhile.
    bool QueueLocked() const;
    void UpdateQueueActions();
    void SetRunning(bool running);
    // The encoding mode's file mask: "*.wav", or every kind the decoder takes.
    QString EncodeMask() const;

    void AddBtnClick();
    void FileListDblClick();
    void N4Click();
    void DelBtnClick();
    void N15Click();
    void N10Click();
    void N12Click();
    void GoBtnClick();
    void CancelBtnClick();
    void N7Click();
    void N14Click();
    void N8Click();
    void LogClick();
    void QueueSaveClick();
    void QueueOpenClick();
    void ModeRGClick(int index);
    void UpDown1Click(bool up);
    void QueueLstClick(int line);
    void PopupMenu1Popup();
    void shDirsClick();

    TQueue m_queue;
    ProgramSettings m_settings;
    bool m_destroyed = false;

    QAction* acAdd = nullptr;
    QAction* acDel = nullptr;
    QAction* acDelCompleted = nullptr;
    QAction* acQClear = nullptr;
    QAction* acProp = nullptr;
    QAction* acGO = nullptr;
    QAction* acCancel = nullptr;
    QAction* m_n4 = nullptr;
    QAction* m_queueOpen = nullptr;
    QAction* m_queueSave = nullptr;
    QAction* m_n9 = nullptr;
    QAction* m_n10 = nullptr;
    QAction* m_n12 = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    QMenu* m_popupMenu2 = nullptr;

    TFolderTree* m_tree = nullptr;
    TNewFileListBox* m_fileList = nullptr;
    QLabel* m_label2 = nullptr;
    TQueueList* m_queueList = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    TTagEditor* m_tagEditor = nullptr;
    TUpDown* m_upDown = nullptr;

    std::unique_ptr<TWindowRunView> m_runView;
    TBatchRun* m_run = nullptr;
    TOutputPreview* m_preview = nullptr;
    TQueueAdder* m_adder = nullptr;
    TQueueKeeper* m_keeper = nullptr;
    bool m_closingBySignal = false;
    TSourceReader* m_reader = nullptr;
    TSourceTagFiller* m_tagFiller = nullptr;
    QPointer<THelpWindow> m_help;
    std::unique_ptr<TRunLog> m_log;
    TRunDesktop* m_desktop = nullptr;
    QPointer<TLogWindow> m_logWindow;
    QMetaObject::Connection m_screenArea;
    bool m_screenWatched = false;
};
