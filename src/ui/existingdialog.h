#pragma once

#include "programsettings.h"

#include <QDialog>

#include <optional>
#include <utility>
#include <vector>

// "Файлы уже существуют": asked before a run whose plan writes over files
// that are there already. Lists each such source and output; the answer is
// overwrite, skip or keep both for all of them, or no run at all.
class TExistingDlg final : public QDialog
{
    Q_OBJECT
public:
    using Pairs = std::vector<std::pair<QString, QString>>; // source, output

    TExistingDlg(const Pairs& files, QWidget* parent = nullptr);

    // Shows the dialog modally; nullopt for "Отмена" (also Esc and the close box).
    static std::optional<TExistingOutput> Ask(const Pairs& files, QWidget* parent);

    std::optional<TExistingOutput> Answer() const { return m_answer; }

private:
    std::optional<TExistingOutput> m_answer;
};
