#pragma once

#include "compressvalues.h"
#include "compresspresets.h"

#include <QUrl>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class TCompressPresets;
class TPresetBox;

// Panel with every control for the compression settings of a job. It keeps
// no values itself: a dialog loads it before showing it and reads it back on
// acceptance. Embedded in the preferences and the item properties dialogs.
class TCompressFrm final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 393;
    static constexpr int kHeight = 271;
    static inline const QString LameUrl = QStringLiteral("https://lame.sourceforge.io");

    explicit TCompressFrm(QWidget* parent = nullptr);

    // At least the design size, more when the texts need it.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Fills the controls from v; ends by applying the method rule. A value
    // that is not in a list leaves that list without selection.
    void Load(const TCompressValues& v);
    // Writes every control into v, also those of the hidden bitrate box. A
    // bitrate list without selection leaves its field of v untouched, so the
    // caller's loaded value survives.
    void ReadBack(TCompressValues& v) const;

    // Shows the VBR box when "VBR" is selected and the CBR/ABR bitrates
    // otherwise; the hidden box keeps its values.
    void ApplyMethodRule();

    // The profiles of "Профиль:"; the panel edits its own copy.
    void SetPresets(const TCompressPresets& presets);
    const TCompressPresets& Presets() const;
    TPresetBox* PresetBox() const { return m_presetBox; }
    // Why the text of "Дополнительные параметры LAME:" is refused; empty
    // when it is accepted. A dialog asks before it reads the panel back.
    QString ExtraOptionsProblem() const;
    // Moves the focus to that field and selects its text.
    void FocusExtraOptions();

    // Opens the encoder project's web address; replaceable in tests.
    std::function<void(const QUrl&)> OpenLink;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildGeneralBox();
    QWidget* BuildOtherBox();
    QWidget* BuildMethodBox();
    QWidget* BuildQualityBox();
    QWidget* BuildCbrBox();
    QWidget* BuildVbrBox();
    void SetTabOrder();
    QWidget* BuildExtraRow();
    void WatchChanges();
    void ShowPresetMatch();
    void ApplyPreset(const TCompressPreset& preset);

    QComboBox* m_freq = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_copyrighted = nullptr;
    QCheckBox* m_nonOriginal = nullptr;
    QCheckBox* m_protected = nullptr;
    QGroupBox* m_methodBox = nullptr;
    QButtonGroup* m_method = nullptr;
    QSlider* m_quality = nullptr;
    QCheckBox* m_filters = nullptr;
    QLabel* m_filtersLabel = nullptr;
    QGroupBox* m_cbrBox = nullptr;
    QButtonGroup* m_cbr = nullptr;
    QGroupBox* m_vbrBox = nullptr;
    QComboBox* m_maxVbr = nullptr;
    QComboBox* m_minVbr = nullptr;
    QSlider* m_vbrQuality = nullptr;
    QCheckBox* m_newVbr = nullptr;
    QLabel* m_link = nullptr;
    TPresetBox* m_presetBox = nullptr;
    QLineEdit* m_extra = nullptr;
    // The values last loaded: what a list without selection reads back as
    // when the profile match is worked out.
    TCompressValues m_loaded;
    bool m_loading = false;
};
