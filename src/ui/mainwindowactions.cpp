// TMainF's actions, its main menu and the two context menus.

#include "mainwindow.h"

#include "icons.h"
#include "newfilelistbox.h"
#include "queuelist.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void TMainF::BuildActions()
{
    auto make = [this](const char* name, const QString& text, const QIcon& icon,
                       void (TMainF::*handler)()) {
        auto* a = new QAction(icon, text, this);
        a->setObjectName(QLatin1String(name));
        a->setIconVisibleInMenu(false);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    acAdd = make("acAdd", tr("&Добавить"), Icons::Add(), &TMainF::AddBtnClick);
    acDel = make("acDel", tr("&Удалить"), Icons::Remove(), &TMainF::DelBtnClick);
    acDelCompleted = make("acDelCompleted", tr("У&далить обработанные"), QIcon(),
                          &TMainF::N15Click);
    acQClear = make("acQClear", tr("Очистить &очередь"), QIcon(), &TMainF::N10Click);
    acProp = make("acProp", tr("&Свойства..."), QIcon(), &TMainF::N12Click);
    acGO = make("acGO", tr("&Вперед!"), Icons::Go(), &TMainF::GoBtnClick);
    acCancel = make("acCancel", tr("&Отмена"), Icons::Cancel(), &TMainF::CancelBtnClick);

    // The queue's context menu has entries of its own: their enabled state is
    // decided each time the menu opens and must not reach buttons or main menu.
    m_n9 = new QAction(tr("&Удалить текущий"), this);
    m_n9->setObjectName(QStringLiteral("N9"));
    connect(m_n9, &QAction::triggered, acDel, &QAction::trigger);
    m_n10 = new QAction(acQClear->text(), this);
    m_n10->setObjectName(QStringLiteral("N10"));
    connect(m_n10, &QAction::triggered, acQClear, &QAction::trigger);
    m_n12 = new QAction(acProp->text(), this);
    m_n12->setObjectName(QStringLiteral("N12"));
    connect(m_n12, &QAction::triggered, acProp, &QAction::trigger);
}

void TMainF::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(tr("&Файл"));
    file->setObjectName(QStringLiteral("N1"));
    m_n4 = file->addAction(tr("&Добавить в очередь..."), this, &TMainF::N4Click);
    m_n4->setObjectName(QStringLiteral("N4"));
    file->addSeparator();
    QAction* n6 = file->addAction(tr("&Выход"), this, &QWidget::close);
    n6->setObjectName(QStringLiteral("N6"));

    QMenu* queue = bar->addMenu(tr("О&чередь"));
    queue->setObjectName(QStringLiteral("mmiQ"));
    queue->addAction(acAdd);
    queue->addSeparator();
    queue->addActions({acDel, acDelCompleted, acQClear});
    queue->addSeparator();
    queue->addAction(acProp);
    queue->addSeparator();
    queue->addActions({acGO, acCancel});
    queue->addSeparator();
    m_queueOpen = queue->addAction(tr("Открыть очередь..."), this, &TMainF::QueueOpenClick);
    m_queueOpen->setObjectName(QStringLiteral("acQOpen"));
    m_queueSave = queue->addAction(tr("Сохранить очередь..."), this, &TMainF::QueueSaveClick);
    m_queueSave->setObjectName(QStringLiteral("acQSave"));
    QAction* log = queue->addAction(tr("&Журнал..."), this, &TMainF::LogClick);
    log->setObjectName(QStringLiteral("acLog"));

    QMenu* options = bar->addMenu(tr("&Опции"));
    options->setObjectName(QStringLiteral("N2"));
    QAction* n7 = options->addAction(tr("&Параметры..."), this, &TMainF::N7Click);
    n7->setObjectName(QStringLiteral("N7"));

    QMenu* help = bar->addMenu(QStringLiteral("&?"));
    help->setObjectName(QStringLiteral("N3"));
    QAction* n14 = help->addAction(tr("&Справка..."), this, &TMainF::N14Click);
    n14->setObjectName(QStringLiteral("N14"));
    n14->setShortcut(QKeySequence(Qt::Key_F1));
    n14->setShortcutContext(Qt::WindowShortcut);
    help->addSeparator();
    QAction* n8 = help->addAction(tr("&О программе..."), this, &TMainF::N8Click);
    n8->setObjectName(QStringLiteral("N8"));

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_popupMenu1->addActions({m_n9, acDelCompleted, m_n10});
    m_popupMenu1->addSeparator();
    m_popupMenu1->addAction(m_n12);
    connect(m_popupMenu1, &QMenu::aboutToShow, this, &TMainF::PopupMenu1Popup);
    m_queueList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_queueList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_popupMenu1->popup(m_queueList->viewport()->mapToGlobal(pos));
    });

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    m_popupMenu2->addAction(acAdd); // N16
    m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_fileList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_popupMenu2->popup(m_fileList->mapToGlobal(pos));
    });
}
