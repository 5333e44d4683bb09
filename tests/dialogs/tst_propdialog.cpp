#include "dialogtest.h"
#include "propdialog.h"
#include "queue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>

// The item properties dialog: it edits the compression values of one job.
class TstPropDialog final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void window();
    void okWithoutChangesKeepsJob_data();
    void okWithoutChangesKeepsJob();
    void okStoresEditsCancelDoesNot();
    void runNeedsALine();
    void jobGoneWhileOpen();
};

void TstPropDialog::window()
{
    TQueue queue;
    TPropF dialog(queue, queue.Add()->Id());
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Свойства сжатия"));
    QVERIFY(dialog.minimumSize() != dialog.maximumSize()); // resizable
    auto* panel = Find<QWidget>(&dialog, "CompressFrm1");
    const QRect panelRect(QPoint(0, 0), panel->sizeHint());
    QVERIFY(panelRect.width() >= 393 && panelRect.height() >= 271);
    QCOMPARE(panel->geometry(), panelRect);

    // The controls keep their place and size when the window grows or shrinks.
    auto* ok = Find<QPushButton>(&dialog, "OkBtn");
    auto* cancel = Find<QPushButton>(&dialog, "CancelBtn");
    const QRect okRect = ok->geometry();
    const QRect cancelRect = cancel->geometry();
    QVERIFY(ok->isDefault());
    QVERIFY(okRect.bottom() < dialog.height() && cancelRect.right() < dialog.width());
    QVERIFY(okRect.top() >= panel->geometry().bottom() && okRect.right() < cancelRect.left());
    for (const QSize size : {QSize(700, 500), QSize(200, 150)}) {
        dialog.resize(size);
        QTRY_COMPARE(dialog.size(), size);
        QCOMPARE(ok->geometry(), okRect);
        QCOMPARE(cancel->geometry(), cancelRect);
        QCOMPARE(panel->geometry(), panelRect);
    }
}

void TstPropDialog::okWithoutChangesKeepsJob_data()
{
    QTest::addColumn<TCompressValues>("values");
    QTest::newRow("new job") << TCompressValues{};
    QTest::newRow("VBR, min above max, flags") << TCompressValues{.Frequency = 9,
                                                                  .Mode = Default,
                                                                  .Quality = 0,
                                                                  .KeepFreq = true,
                                                                  .ABitrate = 8,
                                                                  .Algorithm = VBR,
                                                                  .MinBitrate = 320,
                                                                  .MaxBitrate = 16,
                                                                  .VBRQuality = 9,
                                                                  .VBRNew = false,
                                                                  .Copyrighted = true,
                                                                  .NonOriginal = true,
                                                                  .CRCs = true};
    // 24 kbit/s is a valid job bitrate but not in the CBR/ABR list.
    QTest::newRow("ABitrate 24") << TCompressValues{.ABitrate = 24, .Algorithm = ABR};
}

void TstPropDialog::okWithoutChangesKeepsJob()
{
    QFETCH(TCompressValues, values);
    TQueue queue;
    TQueueItem* job = queue.Add();
    values.StoreTo(*job);
    job->SetTitle(QStringLiteral("Title"));
    job->SetOutputFile(QStringLiteral("/out/a.mp3"));
    QCOMPARE(TCompressValues::From(*job), values);

    TPropF dialog(queue, job->Id());
    dialog.open();
    if (values.ABitrate == 24) {
        for (const QRadioButton* b : Find<QWidget>(&dialog, "CBRRG")->findChildren<QRadioButton*>())
            QVERIFY2(!b->isChecked(), qPrintable(b->text()));
    }
    Find<QPushButton>(&dialog, "OkBtn")->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(TCompressValues::From(*job), values);
    QCOMPARE(job->Title(), QStringLiteral("Title"));
    QCOMPARE(job->OutputFile(), QStringLiteral("/out/a.mp3"));
}

void TstPropDialog::okStoresEditsCancelDoesNot()
{
    TQueue queue;
    TQueueItem* other = queue.Add();
    TQueueItem* job = queue.Add();
    const TCompressValues untouched = TCompressValues::From(*other);

    const auto edit = [](TPropF& dialog) {
        Find<QComboBox>(&dialog, "FreqCBx")->setCurrentIndex(3);
        Find<QComboBox>(&dialog, "ModeCBx")->setCurrentIndex(1);
        Find<QSlider>(&dialog, "QualitiS")->setValue(8);
        ClickRadio(Find<QRadioButton>(&dialog, "CBRRG_0"));
        ClickRadio(Find<QRadioButton>(&dialog, "BitrateRG_2"));
        Find<QComboBox>(&dialog, "MinVBRCB")->setCurrentIndex(2);
        Find<QSlider>(&dialog, "VBRQuality")->setValue(1);
        Find<QCheckBox>(&dialog, "NewVBRCB")->click();
        Find<QCheckBox>(&dialog, "ProtectedCB")->click();
    };

    {
        TPropF dialog(queue, job->Id());
        dialog.open();
        edit(dialog);
        Find<QPushButton>(&dialog, "CancelBtn")->click();
    }
    QCOMPARE(TCompressValues::From(*job), untouched);

    TPropF dialog(queue, job->Id());
    dialog.open();
    edit(dialog);
    Find<QPushButton>(&dialog, "OkBtn")->click();
    TCompressValues expected = untouched;
    expected.Frequency = 3;
    expected.Mode = Stereo;
    expected.Quality = 8;
    expected.ABitrate = 8;
    expected.Algorithm = VBR;
    expected.MinBitrate = 24;
    expected.VBRQuality = 1;
    expected.VBRNew = !untouched.VBRNew;
    expected.CRCs = true;
    QCOMPARE(TCompressValues::From(*job), expected);
    QCOMPARE(TCompressValues::From(*other), untouched);
}

void TstPropDialog::runNeedsALine()
{
    // Rejects any dialog that shows up, so a wrong one cannot block the test.
    bool shown = false;
    QTimer guard;
    connect(&guard, &QTimer::timeout, this, [&shown] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            modal->reject();
        }
    });
    guard.start(10);
    TQueue queue;
    QVERIFY(!TPropF::Run(queue, -1, nullptr));
    QVERIFY(!TPropF::Run(queue, 0, nullptr));
    TQueueItem* job = queue.Add();
    QVERIFY(!TPropF::Run(queue, 1, nullptr));
    guard.stop();
    QVERIFY(!shown);

    job->SetABitrate(320);
    ClickInModalSoon("OkBtn");
    QVERIFY(TPropF::Run(queue, 0, nullptr));
    QCOMPARE(job->ABitrate(), quint16(320));
}

void TstPropDialog::jobGoneWhileOpen()
{
    // The dialog stays open over a running batch, whose end may delete the
    // job; OK then writes into nothing, not even into the job that took its
    // place in the queue.
    TQueue queue;
    TQueueItem* job = queue.Add();
    TPropF dialog(queue, job->Id());
    dialog.open();
    ClickRadio(Find<QRadioButton>(&dialog, "CBRRG_0"));
    queue.Delete(0);
    TQueueItem* next = queue.Add();
    const TCompressValues untouched = TCompressValues::From(*next);
    Find<QPushButton>(&dialog, "OkBtn")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(TCompressValues::From(*next), untouched);
}

QTEST_MAIN(TstPropDialog)
#include "tst_propdialog.moc"
