#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class TAdvancedTab;
class TCompressFrm;
class TQueue;
struct ProgramSettings;

// Preferences: output folder, naming patterns, deletion options and the
// default compression settings. Accepting stores everything into the
// settings record and gives every queued job the compression values;
// cancelling changes nothing.
class TPrefF final : public QDialog
{
    Q_OBJECT

public:
    static QString BrowsePrompt()
    {
        return tr("Выберите путь для сохранения файлов после обработки");
    }

    TPrefF(ProgramSettings& settings, TQueue& queue, QWidget* parent = nullptr);

    // Creates the dialog, runs it modally; true when it was accepted.
    static bool Run(ProgramSettings& settings, TQueue& queue, QWidget* parent);

    // The folder picker: returns the chosen folder, or an empty string when
    // the user cancels. startDir is empty when nothing is to be preselected.
    // Replaceable so tests never open a modal dialog.
    std::function<QString(QWidget* parent, const QString& prompt, const QString& startDir)>
        PickFolder;

    // Tells the user why OK was refused; replaceable so tests never block.
    std::function<void(QWidget* parent, const QString& text)> ShowWarning;

    static QString RelativeTargetText(const QString& folder);

    // Keeps the dialog open when the target folder cannot be used.
    void accept() override;

private:
    QWidget* BuildFilesTab();
    void Load();
    void Store();
    void ApplySubFolderRule();
    void SetDefaultPatterns();
    void BrowseTarget();

    ProgramSettings& m_settings;
    TQueue& m_queue;
    QLineEdit* m_target = nullptr;
    QCheckBox* m_createSubFolders = nullptr;
    QComboBox* m_fileFormat = nullptr;
    QComboBox* m_artistFormat = nullptr;
    QComboBox* m_albumFormat = nullptr;
    QCheckBox* m_delSource = nullptr;
    QCheckBox* m_delFromQueue = nullptr;
    TCompressFrm* m_compress = nullptr;
    TAdvancedTab* m_advanced = nullptr;
    QTabWidget* m_pages = nullptr;
    int m_compressPage = 1;
};
