#pragma once

#include <QWidget>

class QToolButton;

// A vertical pair of arrow buttons. Each press reports one step; holding a
// button does not repeat, so every press moves a queue line exactly once.
class TUpDown final : public QWidget
{
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

Q_SIGNALS:
    void Clicked(bool up);

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};
