#include "mainwindow.h"

TMainF::TMainF(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QStringLiteral("Tessary"));
}
