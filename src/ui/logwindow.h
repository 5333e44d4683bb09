#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;

// The "Журнал" window: the run log of the last runs, newest first, one run
// at a time, read-only and copyable. Not modal; it follows new runs while
// it is open.
class TLogWindow final : public QDialog
{
    Q_OBJECT
public:
    TLogWindow(const QString& folder, QWidget* parent = nullptr);

    // Reads the list of runs again and shows the newest.
    void Reload();
    QString Text() const;

private:
    void ShowRun(int index);
    void CopyAll();

    QString m_folder;
    QComboBox* m_runs = nullptr;
    QPlainTextEdit* m_text = nullptr;
};
