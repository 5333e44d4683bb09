#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QTreeWidget;

// Tessary's help viewer: the Russian help document with a contents tree made
// from its headings and an index made from the anchors named "idx:<term>".
class THelpWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the window on its contents page, raised above the others.
    void ShowContents();

    static constexpr const char* IndexPrefix = "idx:";

private:
    void BuildContents();
    void BuildIndex();
    void ScrollToBlock(int position);
    void FilterIndex(const QString& text);

    QTextBrowser* m_text = nullptr;
    QTreeWidget* m_contents = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    QListWidget* m_index = nullptr;
};
