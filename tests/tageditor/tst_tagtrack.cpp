#include "naming.h"
#include "namingtree.h"
#include "programsettings.h"
#include "tageditorfixture.h"

#include <QApplication>
#include <QClipboard>

// The track box with its "Авто" and "Фикс." boxes, and the year field's keys.
class TstTagTrack final : public QObject, private TagEditorFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Start(); }
    void cleanup() { Stop(); }

    void yearKeys_data();
    void yearKeys();
    void yearPasteKeepsDigits();
    void autoRule();
    void fixedTrackKeptThroughRun();
    void leftoverFixTickDoesNotFix();
    void trackBoxClampsOnFocusLoss();
};

void TstTagTrack::yearKeys_data()
{
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text");

    QTestEventList digits;
    digits.addKeyClicks(QStringLiteral("2001"));
    QTest::newRow("digits") << digits << "2001";

    QTestEventList letters;
    letters.addKeyClicks(QStringLiteral("2a0 0-1."));
    QTest::newRow("letters, blank, signs dropped") << letters << "2001";

    QTestEventList fifth;
    fifth.addKeyClicks(QStringLiteral("19995"));
    QTest::newRow("fifth digit refused") << fifth << "1999";

    QTestEventList backspace;
    backspace.addKeyClicks(QStringLiteral("1998"));
    backspace.addKeyClick(Qt::Key_Backspace);
    backspace.addKeyClicks(QStringLiteral("7"));
    QTest::newRow("backspace passes") << backspace << "1997";

    QTestEventList shortcut;
    shortcut.addKeyClicks(QStringLiteral("1984"));
    shortcut.addKeyClick(Qt::Key_A, Qt::ControlModifier); // select all, then overtype
    shortcut.addKeyClicks(QStringLiteral("2"));
    QTest::newRow("editing shortcuts still work") << shortcut << "2";
}

void TstTagTrack::yearKeys()
{
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);

    TQueueItem* job = m_queue->Add();
    m_editor->SetCurrentJob(job);
    keys.simulate(Edit("YearEd"));
    QCOMPARE(Edit("YearEd")->text(), text);
    QCOMPARE(job->Year(), text);
}

void TstTagTrack::yearPasteKeepsDigits()
{
    QLineEdit* year = Edit("YearEd");
    QApplication::clipboard()->setText(QStringLiteral("19a5"));
    year->paste();
    QVERIFY(year->text().isEmpty());
    QApplication::clipboard()->setText(QStringLiteral("1985"));
    year->paste();
    QCOMPARE(year->text(), QStringLiteral("1985"));
}

void TstTagTrack::autoRule()
{
    TQueueItem* job = m_queue->Add();
    m_editor->SetCurrentJob(job);
    QCheckBox* autoBox = Box("TrackAutoCB");
    QCheckBox* fixBox = Box("TrackFixCB");

    autoBox->setChecked(false);
    QVERIFY(Track()->isEnabled());
    QVERIFY(fixBox->isEnabled());
    QVERIFY(!job->AutoTrack);
    QCOMPARE(Track()->palette().color(QPalette::Base), m_editor->palette().color(QPalette::Base));

    autoBox->setChecked(true);
    QVERIFY(!Track()->isEnabled());
    QVERIFY(!fixBox->isEnabled());
    QVERIFY(job->AutoTrack);
    QCOMPARE(Track()->palette().color(QPalette::Base), m_editor->palette().color(QPalette::Window));

    // Ticking "Фикс." unticks "Авто", so the job leaves automatic numbering.
    autoBox->setChecked(false);
    TQueueItem* other = m_queue->Add(); // AutoTrack on
    m_editor->SetCurrentJob(other);     // shows "Авто" ticked again
    QVERIFY(autoBox->isChecked());
    fixBox->setChecked(true);
    QVERIFY(!autoBox->isChecked());
    QVERIFY(!other->AutoTrack);
}

void TstTagTrack::fixedTrackKeptThroughRun()
{
    TQueueItem* older = m_queue->Add();
    older->SetTrack(3);
    older->SetTitle(QStringLiteral("a"));

    Box("TrackAutoCB")->setChecked(false);
    Box("TrackFixCB")->setChecked(true);
    Track()->setValue(7);

    TQueueItem* added = AddJob();
    added->SetTitle(QStringLiteral("b"));
    QCOMPARE(added->Track(), quint8(7));
    QVERIFY(!added->AutoTrack);

    m_editor->SetCurrentJob(older);
    QCOMPARE(older->Track(), quint8(7));
    QVERIFY(!older->AutoTrack);
    QVERIFY(!Box("TrackAutoCB")->isChecked());
    QCOMPARE(Track()->value(), 7);

    // "Авто" ticked again (with no line selected, so no job changes): the
    // new job is numbered by the run, whatever its Track was when added.
    m_editor->SetCurrentJob(nullptr);
    Box("TrackAutoCB")->setChecked(true);
    TQueueItem* numbered = AddJob();
    numbered->SetTitle(QStringLiteral("c"));
    QVERIFY(numbered->AutoTrack);

    ProgramSettings settings;
    settings.TargetDirectory = QStringLiteral("/Out/");
    TNamingTree tree;
    for (TQueueItem* job : {older, added, numbered})
        BuildOutputPath(*job, tree, settings, 0);
    QCOMPARE(older->Track(), quint8(7));
    QCOMPARE(added->Track(), quint8(7));
    QCOMPARE(numbered->Track(), quint8(3)); // third title of the run
}

void TstTagTrack::leftoverFixTickDoesNotFix()
{
    Box("TrackAutoCB")->setChecked(false);
    Box("TrackFixCB")->setChecked(true);
    Track()->setValue(7);
    Box("TrackAutoCB")->setChecked(true); // "Фикс." stays ticked, but disabled
    QVERIFY(Box("TrackFixCB")->isChecked());

    // A job with a number of its own keeps it, and the editor shows its mode.
    TQueueItem* job = m_queue->Add();
    job->SetTrack(3);
    job->AutoTrack = false;
    m_editor->SetCurrentJob(job);
    QCOMPARE(job->Track(), quint8(3));
    QVERIFY(!job->AutoTrack);
    QVERIFY(!Box("TrackAutoCB")->isChecked());
    QCOMPARE(Track()->value(), 3);

    // Loading unticked "Авто"; the leftover tick must not come to life with
    // it and fix the track (7, or the loaded 3) of later jobs.
    QVERIFY(!Box("TrackFixCB")->isChecked());
    TQueueItem* added = AddJob();
    QVERIFY(added->AutoTrack);
    QCOMPARE(added->Track(), quint8(0));

    TQueueItem* older = m_queue->Add();
    older->SetTrack(5);
    m_editor->SetCurrentJob(older);
    QVERIFY(older->AutoTrack);
    QCOMPARE(older->Track(), quint8(5));
    m_editor->SetCurrentJob(added);
    QVERIFY(added->AutoTrack);
    QCOMPARE(added->Track(), quint8(0));
}

void TstTagTrack::trackBoxClampsOnFocusLoss()
{
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    QApplication::setActiveWindow(m_editor.get());

    TQueueItem* job = m_queue->Add();
    m_editor->SetCurrentJob(job);
    Box("TrackAutoCB")->setChecked(false);

    QSpinBox* track = Track();
    track->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(track->hasFocus(), 5000);
    track->selectAll();
    QTest::keyClicks(track, QStringLiteral("300")); // the third digit would leave the range
    QCOMPARE(track->text(), QStringLiteral("30"));
    QCOMPARE(job->Track(), quint8(30));

    // An emptied box settles to 0 when it loses the focus, as a change.
    track->selectAll();
    QTest::keyClick(track, Qt::Key_Backspace);
    QVERIFY(track->text().isEmpty());
    Edit("TItleEd")->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!track->hasFocus(), 5000);
    QCOMPARE(track->text(), QStringLiteral("0"));
    QCOMPARE(job->Track(), quint8(0));

    // With the track fixed, a new job takes what the box shows even while
    // it is still being typed into.
    Box("TrackFixCB")->setChecked(true);
    track->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(track->hasFocus(), 5000);
    track->selectAll();
    QTest::keyClicks(track, QStringLiteral("12"));
    QTest::keyClick(track, Qt::Key_Backspace);
    QTest::keyClick(track, Qt::Key_Backspace);
    QCOMPARE(AddJob()->Track(), quint8(0));
}

QTEST_MAIN(TstTagTrack)
#include "tst_tagtrack.moc"
