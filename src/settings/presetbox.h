#pragma once

#include "compresspresets.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

// The "Профиль:" row of the compression panel: the list of profiles, with
// "(свой)" while the panel's values match none of them, and the buttons that
// save the panel's values under a name and delete a profile of the user's.
// It edits its own copy of the profiles; the dialog takes them back on OK.
class TPresetBox final : public QWidget
{
    Q_OBJECT
public:
    explicit TPresetBox(QWidget* parent = nullptr);

    static QString CustomText() { return tr("(свой)"); }

    void SetPresets(const TCompressPresets& presets);
    const TCompressPresets& Presets() const { return m_presets; }

    // Selects the profile values match, or "(свой)".
    void ShowMatch(const TCompressValues& values);
    // The profile shown, or empty for "(свой)".
    QString CurrentName() const;
    QList<QWidget*> FocusOrder() const;

    // The panel's values as they stand, for "Сохранить как…".
    std::function<TCompressValues()> CurrentValues;
    // Asks for a profile's name (suggestion preset); empty when cancelled.
    // Replaceable so tests never open a modal dialog.
    std::function<QString(QWidget* parent, const QString& suggestion)> AskName;
    std::function<void(QWidget* parent, const QString& text)> ShowWarning;

Q_SIGNALS:
    // The user picked a profile.
    void Chosen(const TCompressPreset& preset);

private:
    void Rebuild();
    void OnActivated(int index);
    void SaveAs();
    void RemoveCurrent();
    void UpdateButtons();

    TCompressPresets m_presets;
    QComboBox* m_list = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_remove = nullptr;
};
