#include "advancedtab.h"

#include "programsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

TAdvancedTab::TAdvancedTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet3"));

    m_showOutput = new QCheckBox(tr("Показывать файлы результата"));
    m_showOutput->setObjectName(QStringLiteral("ShowOutputCB"));

    // Items in the order of the setting's values 0 to 3.
    m_existing = new QComboBox;
    m_existing->setObjectName(QStringLiteral("ExistingCBx"));
    m_existing->addItems({tr("Спрашивать"), tr("Перезаписывать"),
                          tr("Пропускать"), tr("Сохранять оба")});
    auto* existingLabel = new QLabel(tr("Если файл уже существует:"));
    existingLabel->setObjectName(QStringLiteral("ExistingLbl"));
    existingLabel->setBuddy(m_existing);

    m_allFormats = new QCheckBox(tr("Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack"));
    m_allFormats->setObjectName(QStringLiteral("SourceFormatsCB"));
    m_cover = new QCheckBox(tr("Вставлять обложку"));
    m_cover->setObjectName(QStringLiteral("CoverArtCB"));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(existingLabel, m_existing);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 8, 8, 8);
    rows->setSpacing(8);
    rows->addWidget(m_showOutput);
    rows->addLayout(form);
    rows->addWidget(m_allFormats);
    rows->addWidget(m_cover);
    rows->addStretch(1);
}

void TAdvancedTab::Load(const ProgramSettings& settings)
{
    m_showOutput->setChecked(settings.ShowOutputNames);
    m_existing->setCurrentIndex(int(settings.ExistingOutput));
    m_allFormats->setChecked(settings.AllSourceFormats);
    m_cover->setChecked(settings.EmbedCoverArt);
}

void TAdvancedTab::Store(ProgramSettings& settings) const
{
    settings.ShowOutputNames = m_showOutput->isChecked();
    const int index = m_existing->currentIndex();
    settings.ExistingOutput = index >= 0 ? TExistingOutput(index) : TExistingOutput::Ask;
    settings.AllSourceFormats = m_allFormats->isChecked();
    settings.EmbedCoverArt = m_cover->isChecked();
}
