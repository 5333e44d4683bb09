#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
struct ProgramSettings;

// The preferences tab "Дополнительно": the settings added to the program
// after its first two tabs were laid out (the output column, what a run
// does with outputs that exist already, how many encoders run at once, the
// pause between jobs run one after the other, the source kinds, cover art,
// the file names for the target's file system or for any medium, the
// notice at a run's end, keeping the queue at exit).
class TAdvancedTab final : public QWidget
{
    Q_OBJECT
public:
    explicit TAdvancedTab(QWidget* parent = nullptr);

    void Load(const ProgramSettings& settings);
    void Store(ProgramSettings& settings) const;

    // Without loudgain the ReplayGain choice is disabled, with a hint; the
    // constructor looks for it, tests may say otherwise.
    void SetGainAvailable(bool available);
    static QString GainMissingHint();

private:
    void ApplyParallelRule();

    QCheckBox* m_showOutput = nullptr;
    QComboBox* m_existing = nullptr;
    QSpinBox* m_parallel = nullptr;
    QCheckBox* m_perCore = nullptr;
    QSpinBox* m_pause = nullptr;
    QCheckBox* m_allFormats = nullptr;
    QCheckBox* m_cover = nullptr;
    QComboBox* m_fileNames = nullptr;
    QComboBox* m_gain = nullptr;
    QLabel* m_gainHint = nullptr;
    bool m_gainAvailable = true;
    int m_storedGain = 0; // what Load found, kept while the choice is disabled
    QCheckBox* m_notify = nullptr;
    QCheckBox* m_keepQueue = nullptr;
};
