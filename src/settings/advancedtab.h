#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;
struct ProgramSettings;

// The preferences tab "Дополнительно": the settings added to the program
// after its first two tabs were laid out (the output column, what a run
// does with outputs that exist already, how many encoders run at once, the
// pause between jobs run one after the other, the source kinds, cover art,
// keeping the queue at exit).
class TAdvancedTab final : public QWidget
{
    Q_OBJECT
public:
    explicit TAdvancedTab(QWidget* parent = nullptr);

    void Load(const ProgramSettings& settings);
    void Store(ProgramSettings& settings) const;

private:
    void ApplyParallelRule();

    QCheckBox* m_showOutput = nullptr;
    QComboBox* m_existing = nullptr;
    QSpinBox* m_parallel = nullptr;
    QCheckBox* m_perCore = nullptr;
    QSpinBox* m_pause = nullptr;
    QCheckBox* m_allFormats = nullptr;
    QCheckBox* m_cover = nullptr;
    QCheckBox* m_keepQueue = nullptr;
};
