#include "dialogtest.h"
#include "prefdialog.h"
#include "presetbox.h"
#include "programsettings.h"
#include "propdialog.h"
#include "queue.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>

// "Профиль:" and "Дополнительные параметры LAME:" on the compression panel,
// and the two dialogs that refuse extra options lame must not get.
class TstPresetBox final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void choosingAProfileSetsTheFields();
    void saveAndDeleteUserProfile();
    void preferencesRefuseBadOptions();
    void propertiesRefuseBadOptions();
};

namespace {

QComboBox* Profiles(const QWidget* root)
{
    return Find<QComboBox>(root, "PresetCBx");
}

void Choose(QComboBox* box, const QString& name)
{
    const int index = box->findText(name);
    QVERIFY(index > 0);
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

TCompressValues Read(const TCompressFrm& panel)
{
    TCompressValues v;
    panel.ReadBack(v);
    return v;
}

} // namespace

void TstPresetBox::choosingAProfileSetsTheFields()
{
    TCompressFrm panel;
    TCompressValues start;
    start.Copyrighted = true;
    start.ABitrate = 192;
    panel.Load(start);
    QComboBox* profiles = Profiles(&panel);
    QCOMPARE(profiles->currentText(), TPresetBox::CustomText());
    QCOMPARE(profiles->itemText(0), QStringLiteral("(свой)"));

    Choose(profiles, QStringLiteral("-V 2 (standard)"));
    const TCompressValues v = Read(panel);
    QCOMPARE(int(v.Algorithm), int(VBR));
    QCOMPARE(v.VBRQuality, TInterval(2));
    QCOMPARE(v.Quality, TInterval(3));
    QCOMPARE(int(v.Mode), int(Default));
    QVERIFY(v.VBRNew && v.Copyrighted);
    QCOMPARE(v.ABitrate, quint16(192)); // kept for a return to CBR
    QVERIFY(Find<QWidget>(&panel, "VBRGB")->isVisibleTo(&panel));
    QCOMPARE(profiles->currentText(), QStringLiteral("-V 2 (standard)"));

    // A change by hand, then back: the list follows the values.
    auto* quality = Find<QSlider>(&panel, "VBRQuality");
    quality->setValue(3);
    QCOMPARE(profiles->currentText(), TPresetBox::CustomText());
    quality->setValue(2);
    QCOMPARE(profiles->currentText(), QStringLiteral("-V 2 (standard)"));
    Find<QLineEdit>(&panel, "ExtraOptionsEd")->setText(QStringLiteral("--lowpass 19"));
    QCOMPARE(profiles->currentText(), TPresetBox::CustomText());

    Choose(profiles, QStringLiteral("CBR 320 (insane)"));
    QCOMPARE(Read(panel).ExtraOptions, QString());
    QCOMPARE(Read(panel).ABitrate, quint16(320));
    QVERIFY(Find<QWidget>(&panel, "CBRRG")->isVisibleTo(&panel));
}

void TstPresetBox::saveAndDeleteUserProfile()
{
    TCompressFrm panel;
    panel.Load(TCompressValues{});
    TPresetBox* box = panel.PresetBox();
    QStringList warnings;
    box->ShowWarning = [&warnings](QWidget*, const QString& text) { warnings << text; };
    QString answer = QStringLiteral("-V 0 (extreme)");
    box->AskName = [&answer](QWidget*, const QString&) { return answer; };
    auto* save = Find<QPushButton>(&panel, "PresetSaveBtn");
    auto* remove = Find<QPushButton>(&panel, "PresetDeleteBtn");
    QVERIFY(!remove->isEnabled());

    save->click(); // a built-in's name
    QCOMPARE(warnings.size(), 1);
    QVERIFY(panel.Presets().User().isEmpty());

    Find<QLineEdit>(&panel, "ExtraOptionsEd")->setText(QStringLiteral("--decode"));
    answer = QStringLiteral("Мой");
    save->click(); // options lame must not get
    QCOMPARE(warnings.size(), 2);
    QVERIFY(warnings.last().contains(QStringLiteral("«--decode»")));

    Find<QLineEdit>(&panel, "ExtraOptionsEd")->setText(QStringLiteral("--lowpass 19"));
    save->click();
    QCOMPARE(warnings.size(), 2);
    QCOMPARE(panel.Presets().User().size(), 1);
    QCOMPARE(panel.Presets().User().front().Values.ExtraOptions, QStringLiteral("--lowpass 19"));
    QCOMPARE(Profiles(&panel)->currentText(), QStringLiteral("Мой"));
    QVERIFY(remove->isEnabled());

    remove->click();
    QVERIFY(panel.Presets().User().isEmpty());
    QCOMPARE(Profiles(&panel)->currentText(), TPresetBox::CustomText());
    QCOMPARE(Profiles(&panel)->findText(QStringLiteral("Мой")), -1);
}

void TstPresetBox::preferencesRefuseBadOptions()
{
    ProgramSettings settings;
    TQueue queue;
    TQueueItem* job = queue.Add();
    TPrefF dialog(settings, queue);
    QStringList warnings;
    dialog.ShowWarning = [&warnings](QWidget*, const QString& text) { warnings << text; };
    auto* extra = Find<QLineEdit>(&dialog, "ExtraOptionsEd");
    extra->setText(QStringLiteral("--lowpass 19 --out-dir /tmp"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected)); // still open
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.front().contains(QStringLiteral("«--out-dir»")));
    QCOMPARE(settings.ExtraOptions, QString());

    TPresetBox* box = Find<TPresetBox>(&dialog, "PresetBox");
    box->AskName = [](QWidget*, const QString&) { return QStringLiteral("Тихий"); };
    extra->setText(QStringLiteral("--lowpass 19"));
    Find<QPushButton>(&dialog, "PresetSaveBtn")->click();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.ExtraOptions, QStringLiteral("--lowpass 19"));
    QCOMPARE(job->ExtraOptions(), QStringLiteral("--lowpass 19"));
    QCOMPARE(settings.UserPresets.size(), 1);
    QCOMPARE(settings.UserPresets.front().Name, QStringLiteral("Тихий"));
}

void TstPresetBox::propertiesRefuseBadOptions()
{
    ProgramSettings settings;
    TQueue queue;
    TQueueItem* job = queue.Add();
    QVERIFY(job->SetExtraOptions(QStringLiteral("--nores")));
    TPropF dialog(queue, job->Id(), nullptr, &settings);
    QStringList warnings;
    dialog.ShowWarning = [&warnings](QWidget*, const QString& text) { warnings << text; };
    auto* extra = Find<QLineEdit>(&dialog, "ExtraOptionsEd");
    QCOMPARE(extra->text(), QStringLiteral("--nores"));
    extra->setText(QStringLiteral("--tt \"Другое название\""));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(warnings.value(0).contains(QStringLiteral("«--tt»")));
    QCOMPARE(job->ExtraOptions(), QStringLiteral("--nores"));

    extra->setText(QStringLiteral("--highpass 0.02"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(job->ExtraOptions(), QStringLiteral("--highpass 0.02"));
}

QTEST_MAIN(TstPresetBox)
#include "tst_presetbox.moc"
