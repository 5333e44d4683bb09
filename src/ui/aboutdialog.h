#pragma once

#include <QDialog>

// The "О программе" box: picture, title, version note, author and copyright.
class TAboutF final : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutF(QWidget* parent = nullptr);

private:
    void SpeedButton1Click();
};
