#include "compressfrm.h"

#include "lameoptions.h"
#include "presetbox.h"
#include "programsettings.h"
#include "queueitem.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QStringList Numbers(std::initializer_list<int> values)
{
    QStringList list;
    for (int v : values)
        list << QString::number(v);
    return list;
}

// The CBR/ABR list has no 24 kbit/s; the VBR limits have it.
const QStringList kCbrBitrates =
    Numbers({8, 16, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320});
const QStringList kVbrBitrates =
    Numbers({8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320});

template <typename W> W* Named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel* MakeLabel(const QString& text, const char* name, QWidget* buddy = nullptr)
{
    auto* label = Named(new QLabel(text), name);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QComboBox* MakeList(const QStringList& items, const char* name)
{
    auto* box = Named(new QComboBox, name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

// A 0..9 quality slider with "Высшее" under its left end and "Низшее" under
// its right end, as one small column.
QLayout* SliderWithEnds(QSlider* slider, const char* leftName, const char* rightName)
{
    slider->setRange(0, 9);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    auto* ends = new QHBoxLayout;
    ends->setContentsMargins(0, 0, 0, 0);
    ends->addWidget(MakeLabel(QCoreApplication::translate("TCompressFrm", "Высшее"), leftName));
    ends->addStretch(1);
    ends->addWidget(MakeLabel(QCoreApplication::translate("TCompressFrm", "Низшее"), rightName));
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(slider);
    column->addLayout(ends);
    return column;
}

// Tab enters a radio group at its checked button, or at the first one when
// none is checked. Qt would otherwise enter at whichever button last had the
// focus, the first one in a new panel.
void TabToChecked(QButtonGroup* group)
{
    QAbstractButton* target = group->checkedButton();
    if (!target && !group->buttons().isEmpty())
        target = group->buttons().constFirst();
    for (QAbstractButton* b : group->buttons())
        b->setFocusPolicy(b == target ? Qt::StrongFocus : Qt::ClickFocus);
}

// Clears every button of an exclusive group, which Qt only allows while the
// group is not exclusive.
void ClearGroup(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
    TabToChecked(group);
}

int ListIndex(int value, const QComboBox* box)
{
    return value < box->count() ? value : -1;
}

void SetTight(QLayout* layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(2);
}

} // namespace

TCompressFrm::TCompressFrm(QWidget* parent)
    : QWidget(parent), OpenLink([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("CompressFrm1"));
    // The design size is the least it takes; a larger desktop font grows it
    // instead of clipping its texts. Through the size hints, not a minimum
    // size: setting one resizes the widget at once, and Qt then no longer
    // fits a window to its contents when it is shown.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* top = new QHBoxLayout;
    top->addWidget(BuildGeneralBox(), 3);
    top->addWidget(BuildOtherBox(), 2);

    // CBRRG and VBRGB share one grid cell, so they lie on the same rectangle.
    auto* bitrate = new QGridLayout;
    bitrate->setContentsMargins(0, 0, 0, 0);
    bitrate->addWidget(BuildCbrBox(), 0, 0);
    bitrate->addWidget(BuildVbrBox(), 0, 0);
    auto* middle = new QHBoxLayout;
    middle->addWidget(BuildQualityBox(), 2);
    middle->addLayout(bitrate, 3);

    m_link = MakeLabel(QString(LameUrl).remove(QStringLiteral("https://")), "Label12");
    m_link->setToolTip(LameUrl);
    m_link->setCursor(Qt::PointingHandCursor);
    QFont linkFont = m_link->font();
    linkFont.setUnderline(true);
    m_link->setFont(linkFont);
    QPalette linkPalette = m_link->palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Highlight));
    m_link->setPalette(linkPalette);
    m_link->installEventFilter(this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(MakeLabel(tr("Для кодирования используется LAME"), "Label11"));
    bottom->addStretch(1);
    bottom->addWidget(m_link);

    m_presetBox = new TPresetBox;
    m_presetBox->CurrentValues = [this] {
        TCompressValues v = m_loaded;
        ReadBack(v);
        return v;
    };
    connect(m_presetBox, &TPresetBox::Chosen, this, &TCompressFrm::ApplyPreset);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 4, 4, 2);
    rows->setSpacing(3);
    rows->addWidget(m_presetBox);
    rows->addLayout(top);
    rows->addWidget(BuildMethodBox());
    rows->addLayout(middle, 1);
    rows->addWidget(BuildExtraRow());
    rows->addLayout(bottom);

    SetTabOrder();

    // Any change of method, by mouse or keyboard, swaps the bitrate boxes.
    connect(m_method, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            TabToChecked(m_method);
            ApplyMethodRule();
        }
    });
    // The sliders have no scale of numbers; their tooltips name the option
    // they give lame.
    const auto showValue = [](QSlider* slider, const char* option) {
        const auto update = [slider, option](int v) {
            slider->setToolTip(tr("%1 %2 (0 — высшее качество, 9 — низшее)")
                                   .arg(QLatin1String(option))
                                   .arg(v));
        };
        connect(slider, &QSlider::valueChanged, slider, update);
        update(slider->value());
    };
    showValue(m_quality, "-q");
    showValue(m_vbrQuality, "-V");

    connect(m_cbr, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            TabToChecked(m_cbr);
    });

    // Initial state before a dialog loads the panel.
    m_method->button(CBR)->setChecked(true);
    m_cbr->button(0)->setChecked(true);
    ApplyMethodRule();
    WatchChanges();
    ShowPresetMatch();
}

QWidget* TCompressFrm::BuildExtraRow()
{
    auto* row = new QWidget;
    m_extra = new QLineEdit;
    m_extra->setObjectName(QStringLiteral("ExtraOptionsEd"));
    m_extra->setPlaceholderText(QStringLiteral("--lowpass 19 --noreplaygain"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(MakeLabel(tr("Дополнительные параметры LAME:"), "ExtraOptionsLbl", m_extra));
    layout->addWidget(m_extra, 1);
    // The field says at once why lame would not get its text.
    const auto explain = [this] {
        const QString problem = ExtraOptionsProblem();
        m_extra->setToolTip(problem.isEmpty()
                                ? tr("Параметры lame после параметров панели, например "
                                     "--lowpass 19; кавычки и \\ как в командной строке")
                                : problem);
    };
    connect(m_extra, &QLineEdit::textChanged, this, explain);
    explain();
    return row;
}

// Any change of a value, by the user or by Load, shows the profile the
// panel now matches, or "(свой)".
void TCompressFrm::WatchChanges()
{
    const auto update = [this] { ShowPresetMatch(); };
    connect(m_freq, &QComboBox::currentIndexChanged, this, update);
    connect(m_mode, &QComboBox::currentIndexChanged, this, update);
    connect(m_quality, &QSlider::valueChanged, this, update);
    connect(m_filters, &QCheckBox::toggled, this, update);
    connect(m_cbr, &QButtonGroup::idToggled, this, update);
    connect(m_method, &QButtonGroup::idToggled, this, update);
    connect(m_minVbr, &QComboBox::currentIndexChanged, this, update);
    connect(m_maxVbr, &QComboBox::currentIndexChanged, this, update);
    connect(m_vbrQuality, &QSlider::valueChanged, this, update);
    connect(m_newVbr, &QCheckBox::toggled, this, update);
    connect(m_extra, &QLineEdit::textChanged, this, update);
}

void TCompressFrm::ShowPresetMatch()
{
    if (m_loading)
        return;
    m_presetBox->ShowMatch(m_presetBox->CurrentValues());
}

void TCompressFrm::ApplyPreset(const TCompressPreset& preset)
{
    Load(TCompressPresets::Applied(m_presetBox->CurrentValues(), preset));
}

void TCompressFrm::SetPresets(const TCompressPresets& presets)
{
    m_presetBox->SetPresets(presets);
    ShowPresetMatch();
}

const TCompressPresets& TCompressFrm::Presets() const
{
    return m_presetBox->Presets();
}

QString TCompressFrm::ExtraOptionsProblem() const
{
    return LameOptions::Problem(m_extra->text());
}

void TCompressFrm::FocusExtraOptions()
{
    m_extra->setFocus(Qt::OtherFocusReason);
    m_extra->selectAll();
}

QWidget* TCompressFrm::BuildGeneralBox()
{
    auto* box = Named(new QGroupBox(tr("Общие")), "GroupBox1");
    m_freq = MakeList(QStringList{tr("Авто (рек.)")} +
                          Numbers({48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000}),
                      "FreqCBx");
    m_freq->setMaxVisibleItems(10);
    m_mode = MakeList({QStringLiteral("Joint stereo"), QStringLiteral("Stereo"),
                       QStringLiteral("Forced"), QStringLiteral("Mono"), QStringLiteral("Auto"),
                       tr("По умолчанию")},
                      "ModeCBx");
    auto* grid = new QGridLayout(box);
    SetTight(grid);
    grid->addWidget(MakeLabel(tr("&Частота"), "Label1", m_freq), 0, 0);
    grid->addWidget(m_freq, 0, 1);
    grid->addWidget(MakeLabel(tr("&Режим"), "Label2", m_mode), 1, 0);
    grid->addWidget(m_mode, 1, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* TCompressFrm::BuildOtherBox()
{
    auto* box = Named(new QGroupBox(tr("Прочее")), "GroupBox3");
    m_copyrighted = Named(new QCheckBox(QStringLiteral("Copy&righted")), "CopyrightedCB");
    m_nonOriginal = Named(new QCheckBox(QStringLiteral("&Non-original")), "NonOriginalCB");
    m_protected = Named(new QCheckBox(QStringLiteral("&Protected")), "ProtectedCB");
    auto* column = new QVBoxLayout(box);
    SetTight(column);
    column->setSpacing(0);
    column->addWidget(m_copyrighted);
    column->addWidget(m_nonOriginal);
    column->addWidget(m_protected);
    return box;
}

QWidget* TCompressFrm::BuildMethodBox()
{
    m_methodBox = Named(new QGroupBox(tr("Метод")), "BitrateRG");
    m_method = new QButtonGroup(this);
    auto* row = new QHBoxLayout(m_methodBox);
    SetTight(row);
    const QStringList items = {QStringLiteral("&CBR"), QStringLiteral("&ABR"),
                               QStringLiteral("&VBR")};
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i]);
        b->setObjectName(QStringLiteral("BitrateRG_%1").arg(i));
        m_method->addButton(b, i);
        row->addWidget(b, 1);
    }
    return m_methodBox;
}

QWidget* TCompressFrm::BuildQualityBox()
{
    auto* box = Named(new QGroupBox(tr("Качество")), "GroupBox2");
    m_quality = Named(new QSlider(Qt::Horizontal), "QualitiS");
    m_filters = Named(new QCheckBox, "FiltersCBx");
    m_filtersLabel = MakeLabel(tr("&Обрабатывать\nвсе частоты"), "Label5", m_filters);
    m_filtersLabel->installEventFilter(this);

    auto* filters = new QHBoxLayout;
    filters->setSpacing(4);
    filters->addWidget(m_filters);
    filters->addWidget(m_filtersLabel);
    filters->addStretch(1);

    auto* column = new QVBoxLayout(box);
    SetTight(column);
    column->addLayout(SliderWithEnds(m_quality, "Label3", "Label4"));
    column->addStretch(1);
    column->addLayout(filters);
    return box;
}

QWidget* TCompressFrm::BuildCbrBox()
{
    m_cbrBox = Named(new QGroupBox(tr("Битрейт")), "CBRRG");
    m_cbr = new QButtonGroup(this);
    auto* grid = new QGridLayout(m_cbrBox);
    SetTight(grid);
    grid->setVerticalSpacing(0);
    // Four columns filled top to bottom, column after column.
    const int perColumn = int(kCbrBitrates.size() + 3) / 4;
    for (int i = 0; i < kCbrBitrates.size(); ++i) {
        auto* b = new QRadioButton(kCbrBitrates[i]);
        b->setObjectName(QStringLiteral("CBRRG_%1").arg(i));
        m_cbr->addButton(b, i);
        grid->addWidget(b, i % perColumn, i / perColumn);
    }
    return m_cbrBox;
}

QWidget* TCompressFrm::BuildVbrBox()
{
    m_vbrBox = Named(new QGroupBox(tr("Битрейт")), "VBRGB");
    m_maxVbr = MakeList(kVbrBitrates, "MaxVBRCB");
    m_minVbr = MakeList(kVbrBitrates, "MinVBRCB");
    m_vbrQuality = Named(new QSlider(Qt::Horizontal), "VBRQuality");
    m_newVbr = Named(new QCheckBox(tr("&Новый способ кодирования")), "NewVBRCB");

    auto* limits = new QGridLayout;
    limits->setContentsMargins(0, 0, 0, 0);
    limits->setSpacing(2);
    limits->addWidget(MakeLabel(tr("М&акс.:"), "Label8", m_maxVbr), 0, 0);
    limits->addWidget(m_maxVbr, 0, 1);
    limits->addWidget(MakeLabel(tr("М&ин.:"), "Label7", m_minVbr), 1, 0);
    limits->addWidget(m_minVbr, 1, 1);

    auto* quality = new QVBoxLayout;
    quality->setContentsMargins(0, 0, 0, 0);
    quality->setSpacing(0);
    quality->addWidget(MakeLabel(tr("&Качество VBR:"), "Label6", m_vbrQuality));
    quality->addLayout(SliderWithEnds(m_vbrQuality, "Label9", "Label10"));

    auto* upper = new QHBoxLayout;
    upper->setSpacing(6);
    upper->addLayout(limits);
    upper->addLayout(quality, 1);

    auto* column = new QVBoxLayout(m_vbrBox);
    SetTight(column);
    column->addLayout(upper);
    column->addStretch(1);
    column->addWidget(m_newVbr);
    return m_vbrBox;
}

QSize TCompressFrm::sizeHint() const
{
    return QWidget::sizeHint().expandedTo(QSize(kWidth, kHeight));
}

QSize TCompressFrm::minimumSizeHint() const
{
    return sizeHint();
}

void TCompressFrm::SetTabOrder()
{
    QList<QWidget*> order = {m_freq, m_mode};
    order = m_presetBox->FocusOrder() + order;
    for (QAbstractButton* b : m_method->buttons())
        order << b;
    order << m_quality << m_filters;
    for (QAbstractButton* b : m_cbr->buttons())
        order << b;
    // The profile row comes first and the extra options last, so that the
    // panel's own controls keep their order between them.
    order << m_newVbr << m_vbrQuality << m_minVbr << m_maxVbr << m_copyrighted << m_nonOriginal
          << m_protected << m_extra;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TCompressFrm::Load(const TCompressValues& v)
{
    m_loading = true;
    m_freq->setCurrentIndex(ListIndex(v.Frequency, m_freq));
    m_mode->setCurrentIndex(ListIndex(v.Mode, m_mode));
    m_quality->setValue(v.Quality); // the slider limits it to 9
    m_filters->setChecked(v.KeepFreq);

    const int cbr = int(kCbrBitrates.indexOf(QString::number(v.ABitrate)));
    if (cbr >= 0)
        m_cbr->button(cbr)->setChecked(true);
    else
        ClearGroup(m_cbr);

    m_method->button(std::min<int>(v.Algorithm, VBR))->setChecked(true);
    ApplyMethodRule();

    m_minVbr->setCurrentIndex(int(kVbrBitrates.indexOf(QString::number(v.MinBitrate))));
    m_maxVbr->setCurrentIndex(int(kVbrBitrates.indexOf(QString::number(v.MaxBitrate))));
    m_vbrQuality->setValue(v.VBRQuality);
    m_newVbr->setChecked(v.VBRNew);

    m_copyrighted->setChecked(v.Copyrighted);
    m_nonOriginal->setChecked(v.NonOriginal);
    m_protected->setChecked(v.CRCs);
    m_extra->setText(v.ExtraOptions);
    m_loaded = v;
    m_loading = false;
    ShowPresetMatch();
}

void TCompressFrm::ReadBack(TCompressValues& v) const
{
    // An empty drop-down list gives index -1, which lands in the byte as 255.
    v.Frequency = TInterval(m_freq->currentIndex());
    v.Mode = TMode(quint8(m_mode->currentIndex()));
    v.Quality = TInterval(m_quality->value());
    v.KeepFreq = m_filters->isChecked();
    // Values come from the lists, never from captions: desktops may put
    // accelerators into a button's text ("12&8").
    if (const int cbr = m_cbr->checkedId(); cbr >= 0)
        v.ABitrate = quint16(kCbrBitrates[cbr].toUInt());
    if (m_method->checkedId() >= 0)
        v.Algorithm = TAlgorithm(m_method->checkedId());
    if (const int min = m_minVbr->currentIndex(); min >= 0)
        v.MinBitrate = quint16(kVbrBitrates[min].toUInt());
    if (const int max = m_maxVbr->currentIndex(); max >= 0)
        v.MaxBitrate = quint16(kVbrBitrates[max].toUInt());
    v.VBRQuality = TInterval(m_vbrQuality->value());
    v.VBRNew = m_newVbr->isChecked();

    v.Copyrighted = m_copyrighted->isChecked();
    v.NonOriginal = m_nonOriginal->isChecked();
    v.CRCs = m_protected->isChecked();
    v.ExtraOptions = m_extra->text();
}

void TCompressFrm::ApplyMethodRule()
{
    const bool vbr = m_method->checkedId() == VBR;
    QGroupBox* shown = vbr ? m_vbrBox : m_cbrBox;
    QGroupBox* hidden = vbr ? m_cbrBox : m_vbrBox;
    // Hidden and disabled widgets drop out of the focus chain by themselves.
    hidden->setVisible(false);
    hidden->setEnabled(false);
    hidden->lower();
    shown->setEnabled(true);
    shown->setVisible(true);
    shown->raise();
}

bool TCompressFrm::eventFilter(QObject* watched, QEvent* event)
{
    // A label's accelerator would also click a button buddy; this one only
    // moves the focus to its check box.
    if (watched == m_filtersLabel && event->type() == QEvent::Shortcut) {
        m_filters->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    if ((watched == m_filtersLabel || watched == m_link) &&
        event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == m_filtersLabel)
                m_filters->toggle();
            else if (OpenLink)
                OpenLink(QUrl(LameUrl));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
