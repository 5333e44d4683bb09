#pragma once

#include <QMainWindow>

// The main window: folder tree, file list, queue, tag editor and the run.
class TMainF final : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainF(QWidget* parent = nullptr);
};
