#include "advancedtab.h"

#include "encoder.h"
#include "programsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

namespace {

int Cores()
{
    return qBound(1, QThread::idealThreadCount(), int(ProgramSettings::MaxParallelJobs));
}

} // namespace

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

    m_parallel = new QSpinBox;
    m_parallel->setObjectName(QStringLiteral("ParallelEd"));
    m_parallel->setRange(1, int(ProgramSettings::MaxParallelJobs));
    m_perCore = new QCheckBox(tr("по числу ядер"));
    m_perCore->setObjectName(QStringLiteral("ParallelCoresCB"));
    auto* parallelLabel = new QLabel(tr("Одновременно заданий:"));
    parallelLabel->setObjectName(QStringLiteral("ParallelLbl"));
    parallelLabel->setBuddy(m_parallel);
    auto* parallelRow = new QHBoxLayout;
    parallelRow->addWidget(m_parallel);
    parallelRow->addWidget(m_perCore);
    parallelRow->addStretch(1);

    m_pause = new QSpinBox;
    m_pause->setObjectName(QStringLiteral("PauseEd"));
    m_pause->setRange(0, int(ProgramSettings::MaxPauseBetweenJobs));
    m_pause->setToolTip(tr("Только когда задания выполняются по одному"));
    auto* pauseLabel = new QLabel(tr("Пауза между заданиями, с:"));
    pauseLabel->setObjectName(QStringLiteral("PauseLbl"));
    pauseLabel->setBuddy(m_pause);

    connect(m_perCore, &QCheckBox::toggled, this, &TAdvancedTab::ApplyParallelRule);
    connect(m_parallel, &QSpinBox::valueChanged, this, &TAdvancedTab::ApplyParallelRule);
    m_allFormats = new QCheckBox(tr("Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack"));
    m_allFormats->setObjectName(QStringLiteral("SourceFormatsCB"));
    m_cover = new QCheckBox(tr("Вставлять обложку"));
    m_cover->setObjectName(QStringLiteral("CoverArtCB"));
    m_notify = new QCheckBox(tr("Сообщать об окончании, если окно не активно"));
    m_notify->setObjectName(QStringLiteral("NotifyCB"));

    // Items in the order of the setting's values 0 and 1.
    m_fileNames = new QComboBox;
    m_fileNames->setObjectName(QStringLiteral("FileNamesCBx"));
    m_fileNames->addItems({tr("по файловой системе назначения"), tr("совместимые с любым носителем")});
    m_fileNames->setToolTip(tr("Совместимые имена годятся для FAT, exFAT, NTFS и Windows: "
                               "без < > : \" \\ | ? * и «/» в тегах, без точки или пробела в конце"));
    auto* fileNamesLabel = new QLabel(tr("Имена файлов:"));
    fileNamesLabel->setObjectName(QStringLiteral("FileNamesLbl"));
    fileNamesLabel->setBuddy(m_fileNames);
    // Items in the order of the setting's values 0 to 2.
    m_gain = new QComboBox;
    m_gain->setObjectName(QStringLiteral("ReplayGainCBx"));
    m_gain->addItems({tr("нет"), tr("для трека"), tr("для трека и альбома")});
    auto* gainLabel = new QLabel(QStringLiteral("ReplayGain:"));
    gainLabel->setObjectName(QStringLiteral("ReplayGainLbl"));
    gainLabel->setBuddy(m_gain);
    m_gainHint = new QLabel(GainMissingHint());
    m_gainHint->setObjectName(QStringLiteral("ReplayGainHint"));
    m_gainHint->setWordWrap(true);
    auto* gainColumn = new QVBoxLayout;
    gainColumn->setContentsMargins(0, 0, 0, 0);
    gainColumn->addWidget(m_gain, 0, Qt::AlignLeft);
    gainColumn->addWidget(m_gainHint);
    m_keepQueue = new QCheckBox(tr("Сохранять очередь при выходе"));
    m_keepQueue->setObjectName(QStringLiteral("KeepQueueCB"));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(existingLabel, m_existing);
    form->addRow(parallelLabel, parallelRow);
    form->addRow(pauseLabel, m_pause);
    form->addRow(fileNamesLabel, m_fileNames);
    form->addRow(gainLabel, gainColumn);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 8, 8, 8);
    rows->setSpacing(8);
    rows->addWidget(m_showOutput);
    rows->addLayout(form);
    rows->addWidget(m_allFormats);
    rows->addWidget(m_cover);
    rows->addWidget(m_notify);
    rows->addWidget(m_keepQueue);
    rows->addStretch(1);
    SetGainAvailable(Encoder::Locate(QStringLiteral("loudgain")).errorName.isEmpty());
}

QString TAdvancedTab::GainMissingHint()
{
    return tr("Нужна программа loudgain (пакет loudgain).");
}

void TAdvancedTab::SetGainAvailable(bool available)
{
    m_gainAvailable = available;
    m_gain->setEnabled(available);
    m_gainHint->setVisible(!available);
    m_gain->setToolTip(available ? tr("Теги ReplayGain 2.0 пишет loudgain, когда все MP3 "
                                      "трека или альбома готовы")
                                 : GainMissingHint());
    m_gain->setCurrentIndex(available ? m_storedGain : 0);
}

void TAdvancedTab::Load(const ProgramSettings& settings)
{
    m_showOutput->setChecked(settings.ShowOutputNames);
    m_existing->setCurrentIndex(int(settings.ExistingOutput));
    m_allFormats->setChecked(settings.AllSourceFormats);
    m_cover->setChecked(settings.EmbedCoverArt);
    m_fileNames->setCurrentIndex(settings.PortableNames ? 1 : 0);
    m_storedGain = qBound(0, int(settings.ReplayGain), 2);
    m_gain->setCurrentIndex(m_gainAvailable ? m_storedGain : 0);
    m_notify->setChecked(settings.NotifyAtEnd);
    m_keepQueue->setChecked(settings.KeepQueue);
    const bool perCore = settings.ParallelJobs == 0;
    m_perCore->setChecked(perCore);
    m_parallel->setValue(perCore ? Cores() : int(settings.ParallelJobs));
    m_pause->setValue(int(qMin(settings.PauseBetweenJobs, ProgramSettings::MaxPauseBetweenJobs)));
    ApplyParallelRule();
}

// With one job per core the box shows the number of cores and cannot be
// edited; the pause only means something while jobs run one at a time.
void TAdvancedTab::ApplyParallelRule()
{
    const bool perCore = m_perCore->isChecked();
    if (perCore && m_parallel->value() != Cores())
        m_parallel->setValue(Cores());
    m_parallel->setEnabled(!perCore);
    m_pause->setEnabled(m_parallel->value() == 1);
}

void TAdvancedTab::Store(ProgramSettings& settings) const
{
    settings.ShowOutputNames = m_showOutput->isChecked();
    const int index = m_existing->currentIndex();
    settings.ExistingOutput = index >= 0 ? TExistingOutput(index) : TExistingOutput::Ask;
    settings.ParallelJobs = m_perCore->isChecked() ? 0 : quint32(m_parallel->value());
    settings.PauseBetweenJobs = quint32(m_pause->value());
    settings.AllSourceFormats = m_allFormats->isChecked();
    settings.EmbedCoverArt = m_cover->isChecked();
    settings.PortableNames = m_fileNames->currentIndex() == 1;
    // A choice that cannot be made now is not taken away either.
    settings.ReplayGain = TReplayGain(m_gainAvailable ? qMax(0, m_gain->currentIndex()) : m_storedGain);
    settings.NotifyAtEnd = m_notify->isChecked();
    settings.KeepQueue = m_keepQueue->isChecked();
}
