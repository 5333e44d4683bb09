// The English catalogue leaves no Russian text in the window, its dialogs
// and the run; without it (Russian, and the C locale) the texts stay the
// Russian originals. Texts are gathered from the live widgets, so a text
// added later without a translation shows up here.

#include "aboutdialog.h"
#include "batchrun.h"
#include "existingdialog.h"
#include "helpwindow.h"
#include "language.h"
#include "mainwindow.h"
#include "prefdialog.h"
#include "propdialog.h"
#include "queuelist.h"
#include "testutil.h"
#include "translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidget>
#include <QtTest>

namespace {

bool HasCyrillic(const QString& text)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return text.contains(cyrillic);
}

// Every caption, title, tooltip and accessible name under top, with where
// it was found.
QStringList Texts(const QWidget* top)
{
    QStringList out;
    const auto add = [&out](const QObject* where, const QString& text) {
        if (!text.isEmpty())
            out << where->objectName() + QStringLiteral(": ") + text;
    };
    QList<const QWidget*> widgets{top};
    for (const QWidget* w : top->findChildren<QWidget*>())
        widgets << w;
    for (const QWidget* w : widgets) {
        if (w->isWindow())
            add(w, w->windowTitle());
        add(w, w->toolTip());
        add(w, w->accessibleName());
        if (auto* label = qobject_cast<const QLabel*>(w))
            add(w, label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(w))
            add(w, button->text());
        if (auto* box = qobject_cast<const QGroupBox*>(w))
            add(w, box->title());
        if (auto* tabs = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                add(w, tabs->tabText(i));
        if (auto* combo = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                add(w, combo->itemText(i));
        if (auto* header = qobject_cast<const QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                add(w, header->model()->headerData(i, header->orientation()).toString());
        if (auto* tree = qobject_cast<const QTreeWidget*>(w))
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                add(w, tree->topLevelItem(i)->text(0));
        if (auto* menu = qobject_cast<const QMenu*>(w))
            add(w, menu->title());
        for (const QAction* a : w->actions()) {
            add(a, a->text());
            add(a, a->toolTip());
        }
    }
    out.removeDuplicates();
    return out;
}

QStringList Untranslated(const QStringList& texts)
{
    QStringList out;
    for (const QString& t : texts)
        if (HasCyrillic(t))
            out << t;
    return out;
}

} // namespace

class TstTranslations final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void languageChoice_data();
    void languageChoice();
    void englishLeavesNoRussian_data();
    void englishLeavesNoRussian();
    void englishRun();
    void russianTextsExact();

private:
    void UseEnglish();
    QTemporaryDir m_home;
    QTranslator* m_english = nullptr;
};

void TstTranslations::initTestCase()
{
    QVERIFY(m_home.isValid());
    TestUtil::UseHome(m_home.path());
}

void TstTranslations::UseEnglish()
{
    m_english = new QTranslator(this);
    QVERIFY(m_english->load(QStringLiteral(":/i18n/tessary_en.qm")));
    QVERIFY(QApplication::installTranslator(m_english));
}

void TstTranslations::cleanup()
{
    if (m_english) {
        QApplication::removeTranslator(m_english);
        delete m_english;
        m_english = nullptr;
    }
}

void TstTranslations::languageChoice_data()
{
    QTest::addColumn<QStringList>("desktop");
    QTest::addColumn<QString>("language");
    QTest::newRow("C locale") << QStringList{"C"} << "ru";
    QTest::newRow("POSIX") << QStringList{"POSIX"} << "ru";
    QTest::newRow("nothing") << QStringList{} << "ru";
    QTest::newRow("Russian") << QStringList{"ru-RU", "ru"} << "ru";
    QTest::newRow("English") << QStringList{"en-GB", "en"} << "en";
    QTest::newRow("German only") << QStringList{"de-DE", "de"} << "en";
    QTest::newRow("German, then Russian") << QStringList{"de-DE", "ru-RU"} << "ru";
    QTest::newRow("French, then English") << QStringList{"fr", "en-US", "ru"} << "en";
    QTest::newRow("underscore form") << QStringList{"ru_RU.UTF-8"} << "ru";
}

void TstTranslations::languageChoice()
{
    QFETCH(QStringList, desktop);
    QFETCH(QString, language);
    QCOMPARE(Language::Choose(desktop), language);
}

void TstTranslations::englishLeavesNoRussian_data()
{
    QTest::addColumn<QString>("window");
    for (const char* w : {"main", "preferences", "properties", "about", "existing", "help"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TstTranslations::englishLeavesNoRussian()
{
    QFETCH(QString, window);
    UseEnglish();
    TMainF main;
    main.AddToQueue(QString()); // a refused add writes its status text
    std::unique_ptr<QWidget> top;
    if (window == u"preferences") {
        top = std::make_unique<TPrefF>(main.Settings(), main.Queue());
    } else if (window == u"properties") {
        TQueueItem* job = main.Queue().Add();
        top = std::make_unique<TPropF>(main.Queue(), job->Id());
    } else if (window == u"about") {
        top = std::make_unique<TAboutF>();
    } else if (window == u"existing") {
        top = std::make_unique<TExistingDlg>(
            TExistingDlg::Pairs{{QStringLiteral("/a.wav"), QStringLiteral("/out/a.mp3")}});
    } else if (window == u"help") {
        top = std::make_unique<THelpWindow>();
    }
    QWidget* shown = top ? top.get() : &main;
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QStringList left = Untranslated(Texts(shown));
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u'\n')));
    if (window == u"help") {
        // The page itself is the English one.
        auto* text = top->findChild<QTextBrowser*>(QStringLiteral("HelpText"));
        QVERIFY(text && text->toPlainText().contains(QStringLiteral("Tessary turns WAV files")));
        QVERIFY(!HasCyrillic(text->toPlainText()));
    }
}

void TstTranslations::englishRun()
{
    UseEnglish();
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("a.wav"));
    const QString failing = dir.filePath(QStringLiteral("b.wav"));
    QVERIFY(TestUtil::WriteFile(source) && TestUtil::WriteFile(failing));
    const QString encoder = dir.filePath(QStringLiteral("fake-lame"));
    QVERIFY(TestUtil::WriteFile(encoder, QByteArray("#!/bin/sh\n"
                                                    "case \"$*\" in *b.wav*) exit 3;; esac\n"
                                                    "for last; do :; done\n"
                                                    "printf x > \"$last\"\n")));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    TMainF main;
    main.Settings().TargetDirectory = dir.filePath(QStringLiteral("out/"));
    main.Settings().DeleteFromQueue = false;
    main.BatchRun()->SetEncoderProgram(encoder);
    main.BatchRun()->SetPauseStep(std::chrono::milliseconds(20));
    main.show();
    main.AddToQueue(source);
    main.AddToQueue(failing);
    auto* status = main.findChild<QLabel*>(QStringLiteral("StatusText"));
    QStringList seen;
    connect(main.BatchRun(), &TBatchRun::Finished, this, [&] { seen << status->text(); });
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] { seen << status->text(); });
    watch.start(5);
    main.findChild<QAction*>(QStringLiteral("acGO"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!main.BatchRun()->IsRunning(), 20000);
    seen << status->text();
    seen.removeDuplicates();
    QCOMPARE(status->text(), QStringLiteral("Done. Errors: 1"));
    QVERIFY(Untranslated(seen).isEmpty());
    const QStringList lines = Texts(&main);
    QVERIFY2(Untranslated(lines).isEmpty(), qPrintable(Untranslated(lines).join(u'\n')));
    auto* queue = main.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    QVERIFY2(!HasCyrillic(queue->item(1)->toolTip()), qPrintable(queue->item(1)->toolTip()));
}

void TstTranslations::russianTextsExact()
{
    // No catalogue of Tessary's own for Russian: the texts are the originals.
    Translations::Install(Language::Choose({QStringLiteral("C")}));
    TMainF main;
    QCOMPARE(main.findChild<QAction*>(QStringLiteral("acGO"))->text(), QStringLiteral("&Вперед!"));
    QCOMPARE(main.findChild<QAction*>(QStringLiteral("acCancel"))->text(),
             QStringLiteral("&Отмена"));
    QCOMPARE(main.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
             QStringLiteral("Файлы: *.wav"));
    TPrefF pref(main.Settings(), main.Queue());
    QCOMPARE(pref.windowTitle(), QStringLiteral("Настройка программы"));
    QCOMPARE(TBatchRun::SamePathReason(), QStringLiteral("Файл назначения совпадает с исходным"));
}

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
