// The folder tree and its click rule, over real temporary folders.

#include "foldertree.h"
#include "foldertreemodel.h"
#include "newfilelistbox.h"
#include "tempfolder.h"

#include <QHBoxLayout>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

namespace {

QString Clean(const QString& path)
{
    return QDir::cleanPath(path);
}

QStringList ChildNames(const QAbstractItemModel* model, const QModelIndex& parent)
{
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names << model->index(row, 0, parent).data().toString();
    return names;
}

} // namespace

class TFolderTreeTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startState();
    void foldersOnly();
    void moveTo_data();
    void moveTo();
    void clickRule();
    void movedToStaysInView();
    void folderInTwoBranches();
};

void TFolderTreeTest::startState()
{
    TFolderTree tree;
    const QAbstractItemModel* model = tree.model();
    QCOMPARE(model->rowCount(), 1);
    const QModelIndex desktop = model->index(0, 0);
    QVERIFY(tree.isExpanded(desktop));
    QCOMPARE(tree.currentIndex(), desktop);
    QVERIFY(tree.selectionModel()->isSelected(desktop));
    QCOMPARE(tree.SelectedPath(), QString());
    QVERIFY(!tree.rootIsDecorated());
    QCOMPARE(tree.indentation(), 19);

    QStringList paths;
    for (int row = 0; row < model->rowCount(desktop); ++row) {
        const QModelIndex branch = model->index(row, 0, desktop);
        QCOMPARE(branch.parent(), desktop);
        paths << tree.FolderModel()->FilePath(branch);
    }
    QVERIFY2(paths.contains(Clean(QDir::homePath())), qPrintable(paths.join(", ")));
    QVERIFY2(paths.contains("/"), qPrintable(paths.join(", ")));
}

void TFolderTreeTest::foldersOnly()
{
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"file.wav", "b/inner.wav"}));
    QVERIFY(folder.Mkdir("a"));
    QVERIFY(folder.Mkdir(".hidden"));
    QVERIFY(folder.Fifo("pipe"));
    TFolderTree tree;
    QVERIFY(tree.MoveTo(folder.Path()));
    const QModelIndex node = tree.currentIndex();
    tree.expand(node);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(tree.model(), node), (QStringList{"a", "b"}), 5000);
    QCOMPARE(node.parent().data().toString(), QFileInfo(Clean(folder.Path())).dir().dirName());
}

void TFolderTreeTest::moveTo_data()
{
    QTest::addColumn<QString>("relative"); // to the temporary folder; "" for no path at all
    QTest::addColumn<bool>("moved");
    QTest::newRow("existing, deep") << "x/y" << true;
    QTest::newRow("trailing slash") << "x/y/" << true;
    QTest::newRow("missing") << "x/nothing" << false;
    QTest::newRow("a file") << "x/f.wav" << false;
    QTest::newRow("hidden folder, asked for by path") << ".h" << true;
    QTest::newRow("empty path") << "" << false;
}

void TFolderTreeTest::moveTo()
{
    QFETCH(QString, relative);
    QFETCH(bool, moved);

    TTempFolder folder;
    QVERIFY(folder.Mkdir("x/y"));
    QVERIFY(folder.Mkdir(".h"));
    QVERIFY(folder.Add("x/f.wav"));
    TFolderTree tree;
    QVERIFY(tree.MoveTo(folder.PathOf("x")));

    const QString target = relative.isEmpty() ? QString() : folder.PathOf(relative);
    QCOMPARE(tree.MoveTo(target), moved);
    QCOMPARE(tree.SelectedPath(), moved ? Clean(target) : Clean(folder.PathOf("x")));
    for (QModelIndex up = tree.currentIndex().parent(); up.isValid(); up = up.parent())
        QVERIFY(tree.isExpanded(up));
}

// The model fills folders in from a worker thread: the rows above the stored
// folder arrive after the move and must not push it out of a small tree.
void TFolderTreeTest::movedToStaysInView()
{
    TTempFolder folder;
    for (int i = 0; i < 60; ++i)
        QVERIFY(folder.Mkdir(QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0'))));
    QVERIFY(folder.Mkdir("d59/inner"));
    TFolderTree tree;
    tree.resize(200, 120);
    QVERIFY(tree.MoveTo(folder.PathOf("d59/inner")));
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    const auto inView = [&tree] {
        return tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex()));
    };
    QTRY_VERIFY_WITH_TIMEOUT(ChildNames(tree.model(), tree.currentIndex().parent().parent()).size()
                                 == 60 && inView(),
                             5000);
}

void TFolderTreeTest::clickRule()
{
    TTempFolder folder;
    QVERIFY(folder.Add(QStringList{"a/one.wav", "b/two.wav"}));
    QWidget host;
    auto* layout = new QHBoxLayout(&host);
    auto* tree = new TFolderTree(&host);
    auto* list = new TNewFileListBox(&host);
    layout->addWidget(tree);
    layout->addWidget(list);
    host.resize(600, 400);
    list->SetMask("*.wav");
    connect(tree, &QAbstractItemView::clicked, list, [&] { ApplyTreeClick(*tree, *list); });
    QSignalSpy clicks(tree, &QAbstractItemView::clicked);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    // Start-up: the tree moves to the stored folder and the rule runs once.
    QVERIFY(tree->MoveTo(folder.PathOf("a")));
    ApplyTreeClick(*tree, *list);
    QCOMPARE(list->Directory(), Clean(folder.PathOf("a")) + "/");
    QCOMPARE(list->Lines(), QStringList{"one.wav"});

    auto click = [&](const QModelIndex& index, Qt::MouseButton button = Qt::LeftButton) {
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), button, {}, tree->visualRect(index).center());
    };

    // Clicking the folder already shown reads nothing.
    const QModelIndex a = tree->currentIndex();
    QVERIFY(folder.Add("a/late.wav"));
    click(a);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list->Lines(), QStringList{"one.wav"});

    // The keyboard moves the selection, not the list.
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(tree->model(), a.parent()), (QStringList{"a", "b"}), 5000);
    tree->setFocus();
    tree->setCurrentIndex(tree->model()->index(0, 0, a.parent()));
    QTest::keyClick(tree->viewport(), Qt::Key_Down);
    QCOMPARE(tree->SelectedPath(), Clean(folder.PathOf("b")));
    QCOMPARE(list->Directory(), Clean(folder.PathOf("a")) + "/");

    click(tree->currentIndex());
    QCOMPARE(list->Lines(), QStringList{"two.wav"});

    // A right click selects without running the rule.
    const int before = clicks.count();
    click(tree->model()->index(0, 0, a.parent()), Qt::RightButton);
    QCOMPARE(tree->SelectedPath(), Clean(folder.PathOf("a")));
    QCOMPARE(clicks.count(), before);
    QCOMPARE(list->Lines(), QStringList{"two.wav"});

    // The Desktop node has no path: the list shows nothing.
    click(tree->model()->index(0, 0));
    QCOMPARE(tree->SelectedPath(), QString());
    QCOMPARE(list->Directory(), QString());
    QCOMPARE(list->Count(), 0);
}

void TFolderTreeTest::folderInTwoBranches()
{
    // A home folder below the temporary folder sits in two branches: under
    // the home node and under "/". Both copies must load and stay consistent.
    TTempFolder folder;
    QVERIFY(folder.Mkdir("home/music/rock"));
    QVERIFY(folder.Mkdir("home/music/jazz"));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(folder.PathOf("home")));
    auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });

    TFolderTree tree;
    // Changes must arrive one at a time: views cannot follow nested ones.
    int depth = 0, deepest = 0;
    const auto open = [&] { deepest = qMax(deepest, ++depth); };
    const auto close = [&] { --depth; };
    connect(tree.model(), &QAbstractItemModel::rowsAboutToBeInserted, &tree, open);
    connect(tree.model(), &QAbstractItemModel::rowsInserted, &tree, close);
    connect(tree.model(), &QAbstractItemModel::rowsAboutToBeRemoved, &tree, open);
    connect(tree.model(), &QAbstractItemModel::rowsRemoved, &tree, close);
    connect(tree.model(), &QAbstractItemModel::layoutAboutToBeChanged, &tree, open);
    connect(tree.model(), &QAbstractItemModel::layoutChanged, &tree, close);
    tree.resize(300, 600);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    const QModelIndex desktop = tree.model()->index(0, 0);
    QModelIndex homeNode;
    for (int row = 0; row < tree.model()->rowCount(desktop); ++row) {
        const QModelIndex branch = tree.model()->index(row, 0, desktop);
        if (tree.FolderModel()->FilePath(branch) == Clean(folder.PathOf("home")))
            homeNode = branch;
    }
    QVERIFY(homeNode.isValid());

    // Through the "/" branch: MoveTo picks the branch nearest to the folder,
    // so open the way by hand.
    QModelIndex viaRoot;
    for (int row = 0; row < tree.model()->rowCount(desktop) && !viaRoot.isValid(); ++row) {
        const QModelIndex branch = tree.model()->index(row, 0, desktop);
        if (tree.FolderModel()->FilePath(branch) == "/")
            viaRoot = branch;
    }
    QVERIFY(viaRoot.isValid());
    for (const QString& part : Clean(folder.PathOf("home/music")).split('/', Qt::SkipEmptyParts)) {
        tree.expand(viaRoot);
        const QModelIndex parent = viaRoot;
        QTRY_VERIFY_WITH_TIMEOUT(ChildNames(tree.model(), parent).contains(part), 5000);
        viaRoot = tree.model()->index(int(ChildNames(tree.model(), parent).indexOf(part)), 0, parent);
    }
    QVERIFY(tree.MoveTo(folder.PathOf("home/music")));
    const QModelIndex viaHome = tree.currentIndex();
    QCOMPARE(viaHome.parent(), homeNode);
    QVERIFY(viaHome != viaRoot);
    QCOMPARE(tree.FolderModel()->FilePath(viaRoot), tree.FolderModel()->FilePath(viaHome));

    tree.expand(viaHome);
    tree.expand(viaRoot);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(tree.model(), viaHome), (QStringList{"jazz", "rock"}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(tree.model(), viaRoot), (QStringList{"jazz", "rock"}), 5000);
    QCOMPARE(tree.model()->index(1, 0, viaRoot).parent(), viaRoot);
    QCOMPARE(tree.model()->index(1, 0, viaHome).parent(), viaHome);
    QCOMPARE(depth, 0);
    QCOMPARE(deepest, 1);
}

QTEST_MAIN(TFolderTreeTest)
#include "tst_foldertree.moc"
