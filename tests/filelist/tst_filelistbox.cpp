// The file list box over real temporary folders.

#include "filenotify.h"
#include "newfilelistbox.h"
#include "tempfolder.h"

#include <QApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Runs fn when the next read of the list starts its first pass: a read
// processes the events queued before it at the start of every pass.
void AtNextPass(TNewFileListBox& list, std::function<void()> fn)
{
    QMetaObject::invokeMethod(&list, std::move(fn), Qt::QueuedConnection);
}

} // namespace

class TFileListBoxTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void masks_data();
    void masks();
    void attributes_data();
    void attributes();
    void folderEntryShortcut();
    void sameValueReadsNothing();
    void noFolder();
    void doubleClick_data();
    void doubleClick();
    void selectedFiles();
    void reportDuringReadRunsOneMorePass();
    void assignmentDuringRead_data();
    void assignmentDuringRead();
    void folderVanishesDuringRead();
    void destroyedDuringRead();
    void manyEntries();
    void notify();
    void lineHeight();
};

void TFileListBoxTest::masks_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed{"b.wav", "A.wav", "c.WAV", "d.mp3", "e.mp2", "README"};
    QTest::newRow("sorted, letter case ignored")
        << mixed << "*.wav" << QStringList{"A.wav", "b.wav", "c.WAV"};
    QTest::newRow("file matching two parts listed once")
        << mixed << "*.mp?;*.mp3" << QStringList{"d.mp3", "e.mp2"};
    QTest::newRow("trailing separator") << mixed << "*.mp3;" << QStringList{"d.mp3"};
    QTest::newRow("empty part finds nothing") << mixed << "*.mp3;;" << QStringList{"d.mp3"};
    QTest::newRow("empty mask") << mixed << "" << QStringList{};
    QTest::newRow("question mark") << QStringList{"a.wav", "ab.wav", "b.wav"} << "?.WAV"
                                   << QStringList{"a.wav", "b.wav"};
    QTest::newRow("star") << mixed << "*" << QStringList{"A.wav", "b.wav", "c.WAV", "d.mp3", "e.mp2", "README"};
    QTest::newRow("cyrillic, case ignored") << QStringList{"Песня.WAV", "ария.wav"} << "*.wav"
                                            << QStringList{"ария.wav", "Песня.WAV"};
    QTest::newRow("case-different names are two files")
        << QStringList{"a.wav", "A.wav"} << "*.wav" << QStringList{"A.wav", "a.wav"};
    QTest::newRow("line break in a name") << QStringList{"one\ntwo.wav"} << "*.wav"
                                          << QStringList{"one\ntwo.wav"};
}

void TFileListBoxTest::masks()
{
    QFETCH(QStringList, files);
    QFETCH(QString, mask);
    QFETCH(QStringList, expected);

    TTempFolder folder;
    QVERIFY(folder.Add(files));
    TNewFileListBox list;
    list.SetMask(mask);
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), expected);
    QVERIFY(!list.Reading());

    if (files.size() > 2) {
        // Unsorted: the same lines, in search order.
        list.SetSorted(false);
        QStringList unsorted = list.Lines();
        unsorted.sort();
        expected.sort();
        QCOMPARE(unsorted, expected);
    }
}

void TFileListBoxTest::attributes_data()
{
    QTest::addColumn<int>("fileType");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("folderEntries");

    const QStringList plain{"link.wav", "plain.wav", "ro.wav"};
    QTest::newRow("normal") << int(ftNormal) << plain << 0;
    QTest::newRow("hidden") << int(ftNormal | ftHidden) << QStringList{".hidden.wav"} + plain << 0;
    QTest::newRow("system") << int(ftNormal | ftSystem) << QStringList{"link.wav", "pipe.wav", "plain.wav", "ro.wav"} << 0;
    QTest::newRow("read-only, archive, volume change nothing")
        << int(ftNormal | ftReadOnly | ftArchive | ftVolumeID) << plain << 0;
    QTest::newRow("folders first")
        << int(ftNormal | ftDirectory) << QStringList{"dir.wav", "Sub"} + plain << 2;
    QTest::newRow("hidden with folders")
        << int(ftNormal | ftDirectory | ftHidden) << QStringList{"dir.wav", "Sub", ".hidden.wav"} + plain << 2;
}

void TFileListBoxTest::attributes()
{
    QFETCH(int, fileType);
    QFETCH(QStringList, expected);
    QFETCH(int, folderEntries);

    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"plain.wav", ".hidden.wav", "ro.wav", "other.txt"}));
    QVERIFY(QFile::setPermissions(folder.PathOf("ro.wav"), QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(folder.Fifo("pipe.wav"));
    QVERIFY(folder.Link(folder.PathOf("plain.wav"), "link.wav"));
    QVERIFY(folder.Link(folder.PathOf("missing.wav"), "dead.wav"));
    QVERIFY(folder.Link(folder.PathOf("loop.wav"), "loop.wav"));
    QVERIFY(folder.AddRaw("latin1-\xe9.wav"));
    QVERIFY(folder.Mkdir("dir.wav"));
    QVERIFY(folder.Mkdir("Sub"));
    QVERIFY(folder.Mkdir(".git"));

    TNewFileListBox list;
    list.SetMask("*.wav");
    list.SetFileType(TFileType(fileType));
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), expected);
    for (int i = 0; i < list.Count(); ++i)
        QCOMPARE(list.IsFolderEntry(i), i < folderEntries);
    // Drawing looks up the icons; none may open the FIFO.
    list.resize(200, 300);
    list.grab();
}

void TFileListBoxTest::folderEntryShortcut()
{
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"a.wav", ".h.wav"}));
    QVERIFY(folder.Mkdir("zeta"));
    QVERIFY(folder.Mkdir("Alpha"));
    TNewFileListBox list;
    list.SetMask("*.wav");
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), QStringList{"a.wav"});

    // Adding or removing ftDirectory alone keeps the file lines as they are
    // (b.wav stays out); any other change reads the folder again.
    QVERIFY(folder.Add("b.wav"));
    list.SetFileType(ftNormal | ftDirectory);
    QCOMPARE(list.Lines(), (QStringList{"Alpha", "zeta", "a.wav"}));
    QVERIFY(list.IsFolderEntry(1) && !list.IsFolderEntry(2));
    list.SetFileType(ftNormal);
    QCOMPARE(list.Lines(), QStringList{"a.wav"});

    list.SetFileType(ftNormal | ftDirectory | ftHidden);
    QCOMPARE(list.Lines(), (QStringList{"Alpha", "zeta", ".h.wav", "a.wav", "b.wav"}));
    // ftDirectory gone together with ftHidden: the hidden file must go too.
    list.SetFileType(ftNormal);
    QCOMPARE(list.Lines(), (QStringList{"a.wav", "b.wav"}));
}

void TFileListBoxTest::sameValueReadsNothing()
{
    TTempFolder folder;
    QVERIFY(folder.Add("a.wav"));
    QVERIFY(folder.Mkdir("Music"));
    QVERIFY(folder.Mkdir("music"));
    QVERIFY(folder.Add("Music/upper.wav"));
    QVERIFY(folder.Add("music/lower.wav"));

    TNewFileListBox list;
    list.SetMask("*.wav");
    list.SetDirectory(folder.Path());
    QVERIFY(folder.Add("late.wav"));
    list.SetDirectory(folder.Path());
    list.SetMask("*.WAV");
    QCOMPARE(list.Mask(), QString("*.wav"));
    QCOMPARE(list.Lines(), QStringList{"a.wav"});

    // Folder names differ by letter case: two folders.
    list.SetDirectory(folder.PathOf("Music/"));
    QCOMPARE(list.Lines(), QStringList{"upper.wav"});
    list.SetDirectory(folder.PathOf("music/"));
    QCOMPARE(list.Lines(), QStringList{"lower.wav"});
}

void TFileListBoxTest::noFolder()
{
    // A folder that is really called "..." must not be searched.
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"a.wav", ".../dots.wav"}));
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.Path()));
    auto restore = qScopeGuard([&] { QDir::setCurrent(oldCurrent); });

    TNewFileListBox list;
    QCOMPARE(list.Directory(), QString());
    QCOMPARE(list.Count(), 0);
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Count(), 1);

    list.SetDirectory("...");
    QCOMPARE(list.Directory(), QString("..."));
    QCOMPARE(list.Count(), 0);
    list.ReadDirectory();
    QCOMPARE(list.Count(), 0);

    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), QStringList{"a.wav"});
    list.SetDirectory(QString());
    QCOMPARE(list.Count(), 0);
    QVERIFY(!list.Reading());
    QVERIFY(!QApplication::overrideCursor());
}

void TFileListBoxTest::doubleClick_data()
{
    QTest::addColumn<int>("line"); // -1: below the last line
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("file entry") << 1 << QStringList{"select a.wav", "double-click"};
    QTest::newRow("folder entry") << 0 << QStringList{"double-click"};
    QTest::newRow("no current line") << -1 << QStringList{"double-click"};
}

void TFileListBoxTest::doubleClick()
{
    QFETCH(int, line);
    QFETCH(QStringList, expected);

    TTempFolder folder;
    QVERIFY(folder.Add("a.wav"));
    QVERIFY(folder.Mkdir("sub"));
    QWidget host;
    host.resize(300, 200);
    auto* list = new TNewFileListBox(&host);
    list->resize(300, 200);
    list->SetFileType(ftNormal | ftDirectory);
    list->SetDirectory(folder.Path());
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    // Showing the window gave the list the focus and with it a current line.
    if (line < 0)
        list->selectionModel()->clearCurrentIndex();
    QStringList events;
    connect(list, &TNewFileListBox::OnFileSelect, list, [&](const QString& name) { events << "select " + name; });
    connect(list, &TNewFileListBox::OnDblClick, list, [&] { events << "double-click"; });
    const QPoint at = line >= 0 ? list->visualRect(list->model()->index(line, 0)).center()
                                : QPoint(20, list->viewport()->height() - 5);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(events, expected);
    QCOMPARE(list->CurrentName(), line >= 0 ? list->Lines().at(line) : QString());
}

void TFileListBoxTest::selectedFiles()
{
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"a.wav", "b.wav", "c.wav"}));
    QVERIFY(folder.Mkdir("sub"));
    TNewFileListBox list;
    list.SetMultiSelect(true);
    QVERIFY(list.MultiSelect());
    list.SetFileType(ftNormal | ftDirectory);
    // Without its trailing "/" the folder is still a folder.
    const QString bare = folder.Path().chopped(1);
    list.SetDirectory(bare);
    QCOMPARE(list.Lines(), (QStringList{"sub", "a.wav", "b.wav", "c.wav"}));

    auto* selection = list.selectionModel();
    for (int row : {3, 0, 1})
        selection->select(list.model()->index(row, 0), QItemSelectionModel::Select);
    QCOMPARE(list.SelectedFiles(), (QStringList{bare + "/a.wav", bare + "/c.wav"}));
    QCOMPARE(list.CurrentName(), QString());
    list.setCurrentIndex(list.model()->index(2, 0));
    QCOMPARE(list.CurrentName(), QString("b.wav"));

    list.SetMultiSelect(false);
    QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
}

void TFileListBoxTest::reportDuringReadRunsOneMorePass()
{
    TTempFolder folder;
    QVERIFY(folder.Add("a.wav"));
    TNewFileListBox list;
    list.SetMask("*.wav");

    // First pass: a change report arrives. The second pass sees second.wav,
    // created as it starts; third.wav would only be seen by a third pass.
    AtNextPass(list, [&] {
        QVERIFY(list.Reading());
        list.DirectoryChanged();
        AtNextPass(list, [&] {
            QVERIFY(folder.Add("second.wav"));
            AtNextPass(list, [&] { QVERIFY(folder.Add("third.wav")); });
        });
    });
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), (QStringList{"a.wav", "second.wav"}));
    QVERIFY(!list.Reading());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.PathOf("third.wav")), 5000);

    // A report while idle reads the folder again.
    list.DirectoryChanged();
    QCOMPARE(list.Lines(), (QStringList{"a.wav", "second.wav", "third.wav"}));
}

void TFileListBoxTest::assignmentDuringRead_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("folder") << "folder" << QStringList{"other.wav"};
    QTest::newRow("mask") << "mask" << QStringList{"a.mp3"};
    QTest::newRow("no folder") << "no folder" << QStringList{};
    QTest::newRow("folder entries") << "filter" << QStringList{"sub", "a.wav"};
    QTest::newRow("unsorted, then folder") << "two" << QStringList{"other.wav"};
}

void TFileListBoxTest::assignmentDuringRead()
{
    QFETCH(QString, what);
    QFETCH(QStringList, expected);

    TTempFolder folder, other;
    QVERIFY(folder.Add(QStringList{"a.wav", "a.mp3"}));
    QVERIFY(folder.Mkdir("sub"));
    QVERIFY(other.Add("other.wav"));
    TNewFileListBox list;
    list.SetMask("*.wav");

    AtNextPass(list, [&] {
        if (what == "folder")
            list.SetDirectory(other.Path());
        else if (what == "mask")
            list.SetMask("*.mp3");
        else if (what == "no folder")
            list.SetDirectory("...");
        else if (what == "filter")
            list.SetFileType(ftNormal | ftDirectory);
        else {
            list.SetSorted(false);
            list.SetDirectory(other.Path());
        }
    });
    list.SetDirectory(folder.Path());
    QCOMPARE(list.Lines(), expected);
    QVERIFY(!list.Reading());
}

void TFileListBoxTest::folderVanishesDuringRead()
{
    auto folder = std::make_unique<TTempFolder>();
    QVERIFY(folder->Add("a.wav"));
    const QString path = folder->Path();
    TNewFileListBox list;
    AtNextPass(list, [&] { QVERIFY(folder->Remove()); });
    list.SetDirectory(path);
    QCOMPARE(list.Count(), 0);

    // A file where a folder is expected, and a missing folder.
    TTempFolder plain;
    QVERIFY(plain.Add("file.wav"));
    list.SetDirectory(plain.PathOf("file.wav"));
    QCOMPARE(list.Count(), 0);
    list.SetDirectory(plain.PathOf("missing/"));
    QCOMPARE(list.Count(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

void TFileListBoxTest::destroyedDuringRead()
{
    TTempFolder folder;
    QVERIFY(folder.Add("a.wav"));
    QPointer<TNewFileListBox> list = new TNewFileListBox;
    QObject context;
    QMetaObject::invokeMethod(&context, [&] { delete list.data(); }, Qt::QueuedConnection);
    list->SetDirectory(folder.Path());
    QVERIFY(!list);
    QVERIFY(!QApplication::overrideCursor());
}

void TFileListBoxTest::manyEntries()
{
    TTempFolder folder;
    QVERIFY(folder.AddMany("track", ".wav", 100000));
    QVERIFY(folder.Add("cover.jpg"));
    TNewFileListBox list;
    list.SetMask("*.wav");
    int ticks = 0;
    QTimer timer;
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, &list, [&] { ++ticks; });
    timer.start();
    list.SetDirectory(folder.Path());
    timer.stop();
    QCOMPARE(list.Count(), 100000);
    QCOMPARE(list.Lines().first(), QString("track0.wav"));
    // The read kept the event loop turning.
    QVERIFY(ticks > 10);
}

void TFileListBoxTest::notify()
{
    TTempFolder folder, other;
    QVERIFY(folder.Add("a.wav"));
    QWidget host;
    auto* list = new TNewFileListBox(&host);
    list->SetMask("*.wav");
    list->SetDirectory(folder.Path());
    list->SetNotify(true);
    QVERIFY(list->Notifier());
    QCOMPARE(list->Notifier()->Kinds(), TNotifyKinds(nkFileName));

    QVERIFY(folder.Add("new.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(list->Lines(), (QStringList{"a.wav", "new.wav"}), 5000);

    // After a change of folder the first real change is not swallowed.
    list->SetDirectory(other.Path());
    QCOMPARE(list->Count(), 0);
    QVERIFY(other.Add("b.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(list->Lines(), QStringList{"b.wav"}, 5000);

    list->SetFileType(ftNormal | ftDirectory);
    QCOMPARE(list->Notifier()->Kinds(), TNotifyKinds(nkFileName | nkDirName));
    QVERIFY(other.Mkdir("sub"));
    QTRY_COMPARE_WITH_TIMEOUT(list->Lines(), (QStringList{"sub", "b.wav"}), 5000);

    list->SetNotify(false);
    QVERIFY(!list->Notifier());
    QVERIFY(!list->Notify());
}

void TFileListBoxTest::lineHeight()
{
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"a.wav", "b.wav"}));
    TNewFileListBox list;
    QFont font = list.font();
    font.setPointSize(8);
    list.setFont(font);
    list.SetDirectory(folder.Path());
    QCOMPARE(list.LineHeight(), qMax(16, list.fontMetrics().height()));
    list.resize(200, 100);
    const QModelIndex second = list.model()->index(1, 0);
    list.grab();
    QCOMPARE(list.visualRect(second).height(), list.LineHeight());
    QCOMPARE(list.visualRect(second).top(), list.LineHeight());
}

QTEST_MAIN(TFileListBoxTest)
#include "tst_filelistbox.moc"
