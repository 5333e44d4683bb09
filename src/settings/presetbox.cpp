#include "presetbox.h"

#include "lameoptions.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

TPresetBox::TPresetBox(QWidget* parent)
    : QWidget(parent),
      AskName([](QWidget* owner, const QString& suggestion) {
          return QInputDialog::getText(owner, tr("Сохранить профиль"), tr("Имя профиля:"),
                                       QLineEdit::Normal, suggestion);
      }),
      ShowWarning([](QWidget* owner, const QString& text) {
          QMessageBox::warning(owner, QStringLiteral("Tessary"), text);
      })
{
    setObjectName(QStringLiteral("PresetBox"));
    m_list = new QComboBox;
    m_list->setObjectName(QStringLiteral("PresetCBx"));
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_list->setMinimumContentsLength(16);
    auto* label = new QLabel(tr("Профиль:"));
    label->setObjectName(QStringLiteral("PresetLbl"));
    label->setBuddy(m_list);
    m_save = new QPushButton(tr("Сохранить как…"));
    m_save->setObjectName(QStringLiteral("PresetSaveBtn"));
    m_save->setAutoDefault(false);
    m_remove = new QPushButton(tr("Удалить"));
    m_remove->setObjectName(QStringLiteral("PresetDeleteBtn"));
    m_remove->setAutoDefault(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(label);
    row->addWidget(m_list, 1);
    row->addWidget(m_save);
    row->addWidget(m_remove);

    // activated: only the user's picks choose a profile.
    connect(m_list, &QComboBox::activated, this, &TPresetBox::OnActivated);
    connect(m_list, &QComboBox::currentIndexChanged, this, &TPresetBox::UpdateButtons);
    connect(m_save, &QPushButton::clicked, this, &TPresetBox::SaveAs);
    connect(m_remove, &QPushButton::clicked, this, &TPresetBox::RemoveCurrent);
    Rebuild();
}

void TPresetBox::SetPresets(const TCompressPresets& presets)
{
    const QString shown = CurrentName();
    m_presets = presets;
    Rebuild();
    m_list->setCurrentIndex(qMax(0, m_presets.IndexOf(shown) + 1));
}

// Row 0 is "(свой)", row i + 1 profile i.
void TPresetBox::Rebuild()
{
    m_list->clear();
    m_list->addItem(CustomText());
    for (int i = 0; i < m_presets.Count(); ++i)
        m_list->addItem(m_presets.At(i).Name);
    UpdateButtons();
}

void TPresetBox::ShowMatch(const TCompressValues& values)
{
    // The profile shown stays while it matches: one saved with the values
    // of a built-in is not replaced by the built-in.
    const int shown = m_list->currentIndex() - 1;
    if (shown >= 0 && shown < m_presets.Count()
        && TCompressPresets::SameOptions(m_presets.At(shown).Values, values))
        return;
    m_list->setCurrentIndex(m_presets.Find(values) + 1);
}

QString TPresetBox::CurrentName() const
{
    const int index = m_list->currentIndex() - 1;
    return index >= 0 && index < m_presets.Count() ? m_presets.At(index).Name : QString();
}

QList<QWidget*> TPresetBox::FocusOrder() const
{
    return {m_list, m_save, m_remove};
}

void TPresetBox::UpdateButtons()
{
    m_remove->setEnabled(!m_presets.IsBuiltIn(m_list->currentIndex() - 1)
                         && m_list->currentIndex() > 0);
}

void TPresetBox::OnActivated(int index)
{
    if (index > 0 && index - 1 < m_presets.Count())
        Q_EMIT Chosen(m_presets.At(index - 1));
}

void TPresetBox::SaveAs()
{
    if (!AskName || !CurrentValues)
        return;
    const int shown = m_list->currentIndex() - 1;
    const QString name = AskName(this, m_presets.IsBuiltIn(shown) ? QString() : CurrentName());
    if (name.isEmpty())
        return;
    const TCompressValues values = CurrentValues();
    QString problem = m_presets.NameProblem(name);
    if (problem.isEmpty())
        problem = LameOptions::Problem(values.ExtraOptions);
    if (!problem.isEmpty()) {
        if (ShowWarning)
            ShowWarning(this, problem);
        return;
    }
    m_presets.Save(name, values);
    Rebuild();
    m_list->setCurrentIndex(m_presets.IndexOf(name) + 1);
}

void TPresetBox::RemoveCurrent()
{
    if (!m_presets.Remove(CurrentName()))
        return;
    const TCompressValues values = CurrentValues ? CurrentValues() : TCompressValues();
    Rebuild();
    ShowMatch(values);
}
