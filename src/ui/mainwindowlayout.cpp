// TMainF's bands and panels: the folder tree and file list above, the queue,
// the mode group, the tag editor and the buttons below.

#include "mainwindow.h"

#include "foldertree.h"
#include "newfilelistbox.h"
#include "queuelist.h"
#include "tageditor.h"
#include "updown.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int TagBoxOffset = 9; // left offset of the tag box inside ScrollBox1

// A button that shows an action: caption (with its accelerator), picture and
// enabled state follow the action, and a click triggers it.
void BindButton(QAbstractButton* button, QAction* action)
{
    auto sync = [button, action] {
        button->setText(action->text());
        button->setIcon(action->icon());
        button->setEnabled(action->isEnabled());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
}

// A caption centred above a control, the pair filling a panel.
QWidget* CaptionedPanel(const QString& objectName, QLabel* caption, QWidget* content,
                        QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(objectName);
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption);
    layout->addWidget(content, 1);
    return panel;
}

QLabel* NamedLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

} // namespace

QWidget* TMainF::BuildUpperBand()
{
    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameShape(QFrame::StyledPanel);
    panel1->setMinimumHeight(80);

    m_tree = new TFolderTree(panel1);
    m_tree->setObjectName(QStringLiteral("shDirs"));
    connect(m_tree, &QAbstractItemView::clicked, this, &TMainF::shDirsClick);
    connect(m_tree, &TFolderTree::KeyboardMoved, this, &TMainF::shDirsClick);

    m_fileList = new TNewFileListBox(panel1);
    m_fileList->setObjectName(QStringLiteral("FileList"));
    m_fileList->SetMultiSelect(true);
    m_fileList->SetMask(QStringLiteral("*.wav"));
    connect(m_fileList, &TNewFileListBox::OnDblClick, this, &TMainF::FileListDblClick);

    m_label2 = NamedLabel(QStringLiteral("Label2"), tr("Файлы: *.wav"), panel1);

    auto* splitter2 = new QSplitter(Qt::Horizontal, panel1);
    splitter2->setObjectName(QStringLiteral("Splitter2"));
    splitter2->setOpaqueResize(true);
    splitter2->setChildrenCollapsible(false);
    splitter2->addWidget(CaptionedPanel(
        QStringLiteral("Panel2"), NamedLabel(QStringLiteral("Label1"), tr("Дерево папок"), panel1),
        m_tree, panel1));
    splitter2->addWidget(CaptionedPanel(QStringLiteral("Panel3"), m_label2, m_fileList, panel1));
    splitter2->setStretchFactor(0, 0);
    splitter2->setStretchFactor(1, 1);
    splitter2->setSizes({255, 420});

    auto* layout = new QVBoxLayout(panel1);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter2);
    return panel1;
}

QWidget* TMainF::BuildLowerBand()
{
    auto* splitter3 = new QSplitter(Qt::Horizontal, this);
    splitter3->setObjectName(QStringLiteral("Splitter3"));
    splitter3->setOpaqueResize(true);
    splitter3->setChildrenCollapsible(false);

    m_queueList = new TQueueList(m_queue, splitter3);
    connect(m_queueList, &TQueueList::LineSelected, this, &TMainF::QueueLstClick);
    // The editor must let go of a job before the list deletes it.
    connect(m_queueList, &TQueueList::CurrentDropping, this,
            [this] { m_tagEditor->SetCurrentJob(nullptr); });
    splitter3->addWidget(CaptionedPanel(
        QStringLiteral("Panel4"), NamedLabel(QStringLiteral("Label3"), tr("Очередь:"), splitter3),
        m_queueList, splitter3));
    splitter3->addWidget(BuildRightPanel());
    splitter3->setStretchFactor(0, 1);
    splitter3->setStretchFactor(1, 0);
    return splitter3;
}

QWidget* TMainF::BuildRightPanel()
{
    auto* panel5 = new QWidget(this);
    panel5->setObjectName(QStringLiteral("Panel5"));
    panel5->setMinimumWidth(410);

    m_scrollBox = new QScrollArea(panel5);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setWidgetResizable(true);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(m_scrollBox);

    auto* modeRG = new QGroupBox(tr("Режим"), content);
    modeRG->setObjectName(QStringLiteral("ModeRG"));
    m_modeGroup = new QButtonGroup(modeRG);
    auto* modeLayout = new QHBoxLayout(modeRG);
    const QString modeTexts[] = {tr("С&жатие"), tr("Д&екодирование")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(modeTexts[i], modeRG);
        radio->setObjectName(QStringLiteral("ModeRG_%1").arg(i));
        m_modeGroup->addButton(radio, i);
        modeLayout->addWidget(radio, 1);
    }
    m_modeGroup->button(0)->setChecked(true);
    // The checked state drives the mode, however it changed (mouse, keys,
    // an accessibility action), so the buttons and the mask always agree.
    connect(m_modeGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            ModeRGClick(id);
    });

    m_tagEditor = new TTagEditor(content);

    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(TagBoxOffset, 4, TagBoxOffset, 4);
    contentLayout->addWidget(modeRG);
    contentLayout->addWidget(m_tagEditor);
    contentLayout->addStretch(1);
    m_scrollBox->setWidget(content);

    m_upDown = new TUpDown(panel5);
    m_upDown->setObjectName(QStringLiteral("UpDown1"));
    connect(m_upDown, &TUpDown::Clicked, this, &TMainF::UpDown1Click);

    auto* addBtn = new QPushButton(panel5);
    addBtn->setObjectName(QStringLiteral("AddBtn"));
    BindButton(addBtn, acAdd);
    auto* delBtn = new QPushButton(panel5);
    delBtn->setObjectName(QStringLiteral("DelBtn"));
    BindButton(delBtn, acDel);
    for (QPushButton* b : {addBtn, delBtn})
        b->setMinimumSize(98, 25);

    auto* goBtn = new QPushButton(panel5);
    goBtn->setObjectName(QStringLiteral("GoBtn"));
    BindButton(goBtn, acGO);
    QFont goFont(QStringLiteral("Times New Roman"));
    goFont.setStyleHint(QFont::Serif);
    goFont.setPixelSize(27);
    goBtn->setFont(goFont);
    goBtn->setIconSize(QSize(24, 24));
    goBtn->setMinimumSize(192, 57);

    auto* cancelBtn = new QToolButton(panel5);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    BindButton(cancelBtn, acCancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cancelBtn->setIconSize(QSize(24, 24));
    cancelBtn->setMinimumSize(65, 57);

    auto* smallButtons = new QVBoxLayout;
    smallButtons->setSpacing(4);
    smallButtons->addWidget(addBtn);
    smallButtons->addWidget(delBtn);

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(m_upDown);
    row->addLayout(smallButtons);
    row->addWidget(goBtn);
    row->addWidget(cancelBtn);
    row->addStretch(1);

    auto* layout = new QVBoxLayout(panel5);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(m_scrollBox, 1);
    layout->addLayout(row);
    return panel5;
}

void TMainF::FitScrollBox()
{
    // Make the tag box fit the scroll box with equal margins on both sides,
    // leaving room for the vertical scroll bar that a low window needs.
    m_scrollBox->setMinimumWidth(m_tagEditor->sizeHint().width() + 2 * TagBoxOffset +
                                 m_scrollBox->verticalScrollBar()->sizeHint().width());
}
