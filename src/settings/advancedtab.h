#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
struct ProgramSettings;

// The preferences tab "Дополнительно": the settings added to the program
// after its first two tabs were laid out (the output column and what a run
// does with outputs that exist already, the source kinds, cover art).
class TAdvancedTab final : public QWidget
{
    Q_OBJECT
public:
    explicit TAdvancedTab(QWidget* parent = nullptr);

    void Load(const ProgramSettings& settings);
    void Store(ProgramSettings& settings) const;

private:
    QCheckBox* m_showOutput = nullptr;
    QComboBox* m_existing = nullptr;
    QCheckBox* m_allFormats = nullptr;
    QCheckBox* m_cover = nullptr;
};
