#include "compressfrm.h"
#include "dialogtest.h"
#include "programsettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>

namespace {

// Loads v and reads it back over the same values, as both dialogs do.
TCompressValues LoadAndRead(TCompressFrm& panel, const TCompressValues& v)
{
    panel.Load(v);
    TCompressValues read = v;
    panel.ReadBack(read);
    return read;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList RadioTexts(const QWidget* group)
{
    QStringList texts;
    for (const QRadioButton* b : group->findChildren<QRadioButton*>())
        texts << b->text();
    return texts;
}

} // namespace

// The compression panel: lists, load and read-back, and its small rules.
class TstCompressFrm final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void newPanel();
    void loadAndReadBack_data();
    void loadAndReadBack();
    void bitrate24OnlyInVbrLists();
    void methodSwitchKeepsHiddenValues();
    void tabSkipsHiddenBitrateBox_data();
    void tabSkipsHiddenBitrateBox();
    void labelTogglesFilters();
    void valuesNotCaptions();
    void linkOpensLameAddress();
};

void TstCompressFrm::newPanel()
{
    TCompressFrm panel;
    QCOMPARE(panel.objectName(), QStringLiteral("CompressFrm1"));
    // The design size at least; more only where the font needs it.
    panel.show();
    QVERIFY(panel.width() >= 393 && panel.height() >= 271);
    QCOMPARE(panel.size(), panel.sizeHint());

    auto* freq = Find<QComboBox>(&panel, "FreqCBx");
    auto* mode = Find<QComboBox>(&panel, "ModeCBx");
    auto* minVbr = Find<QComboBox>(&panel, "MinVBRCB");
    auto* maxVbr = Find<QComboBox>(&panel, "MaxVBRCB");
    QCOMPARE(Items(freq), QStringList({QStringLiteral("Авто (рек.)"), "48000", "44100", "32000",
                                       "24000", "22050", "16000", "12000", "11025", "8000"}));
    QCOMPARE(Items(mode), QStringList({"Joint stereo", "Stereo", "Forced", "Mono", "Auto",
                                       QStringLiteral("По умолчанию")}));
    const QStringList vbr = {"8",  "16",  "24",  "32",  "40",  "48",  "56",  "64", "80",
                             "96", "112", "128", "160", "192", "224", "256", "320"};
    QCOMPARE(Items(minVbr), vbr);
    QCOMPARE(Items(maxVbr), vbr);
    QStringList cbr = vbr;
    cbr.removeOne("24");
    QCOMPARE(RadioTexts(Find<QGroupBox>(&panel, "CBRRG")), cbr);
    QCOMPARE(RadioTexts(Find<QGroupBox>(&panel, "BitrateRG")),
             QStringList({"&CBR", "&ABR", "&VBR"}));

    for (const QComboBox* box : {freq, mode, minVbr, maxVbr})
        QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(Find<QSlider>(&panel, "QualitiS")->value(), 0);
    QCOMPARE(Find<QSlider>(&panel, "VBRQuality")->value(), 0);
    for (const QCheckBox* box : panel.findChildren<QCheckBox*>())
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(Find<QRadioButton>(&panel, "BitrateRG_0")->isChecked());
    QVERIFY(Find<QRadioButton>(&panel, "CBRRG_0")->isChecked());
    QVERIFY(Find<QGroupBox>(&panel, "CBRRG")->isVisibleTo(&panel));
    QVERIFY(!Find<QGroupBox>(&panel, "VBRGB")->isVisibleTo(&panel));
}

void TstCompressFrm::loadAndReadBack_data()
{
    QTest::addColumn<TCompressValues>("loaded");
    QTest::addColumn<TCompressValues>("expected");

    const TCompressValues defaults = TCompressValues::From(ProgramSettings());
    QTest::newRow("settings defaults") << defaults << defaults;

    // Every field differs from its default and from its neighbours, so a
    // control bound to the wrong field shows up.
    const TCompressValues distinct{.Frequency = 9,
                                   .Mode = Mono,
                                   .Quality = 2,
                                   .KeepFreq = true,
                                   .ABitrate = 320,
                                   .Algorithm = ABR,
                                   .MinBitrate = 8,
                                   .MaxBitrate = 24,
                                   .VBRQuality = 7,
                                   .VBRNew = false,
                                   .Copyrighted = true,
                                   .NonOriginal = false,
                                   .CRCs = true};
    QTest::newRow("distinct values") << distinct << distinct;
    TCompressValues other = distinct;
    other.Copyrighted = false;
    other.NonOriginal = true;
    other.CRCs = false;
    QTest::newRow("other check boxes") << other << other;

    const TCompressValues minAboveMax{.Algorithm = VBR, .MinBitrate = 128, .MaxBitrate = 64};
    QTest::newRow("min above max") << minAboveMax << minAboveMax;

    // Values a list cannot show read back as they were loaded.
    const TCompressValues notListed{.ABitrate = 100, .MinBitrate = 0, .MaxBitrate = 1000};
    QTest::newRow("bitrates in no list") << notListed << notListed;
    const TCompressValues abr24{.ABitrate = 24};
    QTest::newRow("ABitrate 24") << abr24 << abr24;

    QTest::newRow("sliders above 9") << TCompressValues{.Quality = 12, .VBRQuality = 255}
                                     << TCompressValues{.Quality = 9, .VBRQuality = 9};
    QTest::newRow("Algorithm above 2")
        << TCompressValues{.Algorithm = TAlgorithm(7)} << TCompressValues{.Algorithm = VBR};
    QTest::newRow("Frequency above 9")
        << TCompressValues{.Frequency = 10} << TCompressValues{.Frequency = 255};
    QTest::newRow("Mode above 5") << TCompressValues{.Mode = TMode(6)}
                                  << TCompressValues{.Mode = TMode(255)};
}

void TstCompressFrm::loadAndReadBack()
{
    QFETCH(TCompressValues, loaded);
    QFETCH(TCompressValues, expected);
    TCompressFrm panel;
    QCOMPARE(LoadAndRead(panel, loaded), expected);

    // Exactly one bitrate box is visible, the one of the method shown.
    const bool vbr = expected.Algorithm == VBR;
    QCOMPARE(Find<QGroupBox>(&panel, "VBRGB")->isVisibleTo(&panel), vbr);
    QCOMPARE(Find<QGroupBox>(&panel, "CBRRG")->isVisibleTo(&panel), !vbr);

    // A second load must not leave traces of the first.
    TCompressFrm fresh;
    panel.Load(loaded);
    QCOMPARE(LoadAndRead(panel, expected), LoadAndRead(fresh, expected));
}

void TstCompressFrm::bitrate24OnlyInVbrLists()
{
    TCompressFrm panel;
    panel.Load(TCompressValues{.ABitrate = 24, .MinBitrate = 24, .MaxBitrate = 24});
    auto* cbr = Find<QGroupBox>(&panel, "CBRRG");
    for (const QRadioButton* b : cbr->findChildren<QRadioButton*>())
        QVERIFY2(!b->isChecked(), qPrintable(b->text()));
    QCOMPARE(Find<QComboBox>(&panel, "MinVBRCB")->currentText(), QStringLiteral("24"));
    QCOMPARE(Find<QComboBox>(&panel, "MaxVBRCB")->currentText(), QStringLiteral("24"));

    // Picking a CBR bitrate afterwards replaces the kept 24.
    panel.show();
    ClickRadio(Find<QRadioButton>(&panel, "CBRRG_3"));
    TCompressValues read{.ABitrate = 24};
    panel.ReadBack(read);
    QCOMPARE(read.ABitrate, quint16(40));
}

void TstCompressFrm::methodSwitchKeepsHiddenValues()
{
    TCompressFrm panel;
    panel.Load(
        TCompressValues{.ABitrate = 192, .Algorithm = CBR, .MinBitrate = 64, .MaxBitrate = 256});
    panel.show();
    auto* cbr = Find<QGroupBox>(&panel, "CBRRG");
    auto* vbr = Find<QGroupBox>(&panel, "VBRGB");
    const QRect cbrRect = cbr->geometry();

    ClickRadio(Find<QRadioButton>(&panel, "BitrateRG_2"));
    QVERIFY(vbr->isVisible() && vbr->isEnabled());
    QTRY_COMPARE(vbr->geometry(), cbrRect);
    QVERIFY(!cbr->isVisible() && !cbr->isEnabled());
    Find<QComboBox>(&panel, "MinVBRCB")->setCurrentIndex(0); // 8

    // The hidden CBR choice is still read back while VBR is shown.
    TCompressValues read;
    panel.ReadBack(read);
    QCOMPARE(read.Algorithm, VBR);
    QCOMPARE(read.ABitrate, quint16(192));
    QCOMPARE(read.MinBitrate, quint16(8));

    ClickRadio(Find<QRadioButton>(&panel, "BitrateRG_1"));
    QVERIFY(cbr->isVisible() && cbr->isEnabled());
    QVERIFY(!vbr->isVisible() && !vbr->isEnabled());
    QVERIFY(Find<QRadioButton>(&panel, "CBRRG_12")->isChecked());
    panel.ReadBack(read);
    QCOMPARE(read.Algorithm, ABR);
    QCOMPARE(read.ABitrate, quint16(192));
    QCOMPARE(read.MinBitrate, quint16(8));
    QCOMPARE(read.MaxBitrate, quint16(256));
}

void TstCompressFrm::tabSkipsHiddenBitrateBox_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<QStringList>("focusPath");
    QTest::newRow("CBR") << int(CBR)
                         << QStringList{"FreqCBx",    "ModeCBx",  "BitrateRG_0",  "QualitiS",
                                        "FiltersCBx", "CBRRG_10", "CopyrightedCB"};
    QTest::newRow("VBR") << int(VBR)
                         << QStringList{"FreqCBx",    "ModeCBx",      "BitrateRG_2", "QualitiS",
                                        "FiltersCBx", "NewVBRCB",     "VBRQuality",  "MinVBRCB",
                                        "MaxVBRCB",   "CopyrightedCB"};
}

void TstCompressFrm::tabSkipsHiddenBitrateBox()
{
    QFETCH(int, algorithm);
    QFETCH(QStringList, focusPath);
    TCompressFrm panel;
    panel.Load(TCompressValues{.ABitrate = 128, .Algorithm = TAlgorithm(algorithm)});
    panel.show();
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    Find<QWidget>(&panel, "FreqCBx")->setFocus();
    QStringList path;
    for (int i = 0; i < focusPath.size(); ++i) {
        QTRY_VERIFY(QApplication::focusWidget());
        path << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(path, focusPath);
}

void TstCompressFrm::labelTogglesFilters()
{
    TCompressFrm panel;
    auto* label = Find<QLabel>(&panel, "Label5");
    auto* filters = Find<QCheckBox>(&panel, "FiltersCBx");
    QCOMPARE(label->text(), QStringLiteral("&Обрабатывать\nвсе частоты"));
    QCOMPARE(label->buddy(), filters);

    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(filters->isChecked());
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(!filters->isChecked());

    // Its accelerator only moves the focus; the value stays.
    panel.show();
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    Find<QWidget>(&panel, "FreqCBx")->setFocus();
    QTRY_VERIFY(Find<QWidget>(&panel, "FreqCBx")->hasFocus());
    // Alt+О: keyClick only takes ASCII keys, so the text is given with the key.
    QTest::sendKeyEvent(QTest::Click, &panel, Qt::Key(QChar(u'О').unicode()), QStringLiteral("о"),
                        Qt::AltModifier);
    QTRY_VERIFY(filters->hasFocus());
    // A label clicks a button buddy with animateClick: down at once, toggled later.
    QVERIFY(!filters->isDown());
    QVERIFY(!filters->isChecked());
}

// Desktops that put accelerators into captions ("12&8") must not change a
// value, and a method checked by any route (an accessibility action calls
// setChecked) shows its bitrate box.
void TstCompressFrm::valuesNotCaptions()
{
    TCompressFrm panel;
    panel.Load(TCompressValues{.ABitrate = 128, .Algorithm = CBR, .MinBitrate = 64,
                               .MaxBitrate = 256});
    for (QRadioButton* b : Find<QWidget>(&panel, "CBRRG")->findChildren<QRadioButton*>())
        b->setText(b->text().insert(1, u'&'));
    TCompressValues read;
    panel.ReadBack(read);
    QCOMPARE(read.ABitrate, quint16(128));
    QCOMPARE(read.MinBitrate, quint16(64));
    QCOMPARE(read.MaxBitrate, quint16(256));

    Find<QRadioButton>(&panel, "BitrateRG_2")->setChecked(true);
    QVERIFY(Find<QGroupBox>(&panel, "VBRGB")->isVisibleTo(&panel));
    QVERIFY(!Find<QGroupBox>(&panel, "CBRRG")->isVisibleTo(&panel));
}

void TstCompressFrm::linkOpensLameAddress()
{
    TCompressFrm panel;
    QList<QUrl> opened;
    panel.OpenLink = [&opened](const QUrl& url) { opened << url; };
    QTest::mouseClick(Find<QLabel>(&panel, "Label5"), Qt::LeftButton);
    QVERIFY(opened.isEmpty());
    QTest::mouseClick(Find<QLabel>(&panel, "Label12"), Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://lame.sourceforge.io"))});
}

QTEST_MAIN(TstCompressFrm)
#include "tst_compressfrm.moc"
