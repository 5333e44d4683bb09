// TMainF's bands and panels: the folder tree and file list above, the queue,
// the mode group, the tag editor and the buttons below; and the window's
// minimum size, which keeps the tag editor whole.

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
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

constexpr int TagBoxOffset = 9; // left offset of the tag box inside ScrollBox1
constexpr int Panel5Width = 410; // the least width of the right-hand panel

// The buttons under the tag editor with their design sizes, the least they
// take: a larger font asks for more.
constexpr std::pair<const char*, QSize> ButtonSizes[] = {
    {"AddBtn", {98, 25}}, {"DelBtn", {98, 25}}, {"GoBtn", {192, 57}}, {"CancelBtn", {65, 57}}};

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

    auto* goBtn = new QPushButton(panel5);
    goBtn->setObjectName(QStringLiteral("GoBtn"));
    BindButton(goBtn, acGO);
    QFont goFont(QStringLiteral("Times New Roman"));
    goFont.setStyleHint(QFont::Serif);
    goFont.setPixelSize(27);
    goBtn->setFont(goFont);
    goBtn->setIconSize(QSize(24, 24));

    auto* cancelBtn = new QToolButton(panel5);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    BindButton(cancelBtn, acCancel);
    cancelBtn->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cancelBtn->setIconSize(QSize(24, 24));

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
    // Never narrower than its design width, and as wide as the tag box and
    // the buttons need at a larger font. The layout sets the minimum: one
    // set on the panel itself would overrule what its content asks for.
    layout->addStrut(Panel5Width);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(m_scrollBox, 1);
    layout->addLayout(row);
    return panel5;
}

void TMainF::FitMinimumSize()
{
    // Make the tag box fit the scroll box with equal margins on both sides,
    // leaving room for the vertical scroll bar that a low window needs. The
    // width this gives the window, some 700 pixels at 14 pt, fits the screens
    // in use; only the height needs to give way to a small one.
    m_scrollBox->setMinimumWidth(m_tagEditor->sizeHint().width() + 2 * TagBoxOffset +
                                 m_scrollBox->verticalScrollBar()->sizeHint().width());
    // The queue keeps room for the start of its paths and for its hint.
    m_queueList->setMinimumWidth(m_queueList->fontMetrics().averageCharWidth() * 24);
    for (const auto& [name, size] : ButtonSizes) {
        if (auto* button = findChild<QAbstractButton*>(QLatin1String(name)))
            button->setMinimumSize(size.expandedTo(button->sizeHint()));
    }

    // Tall enough for all of its content, the scroll box never scrolls; the
    // layouts pass its minimum up to the window, with the upper band, the
    // button row, the menu bar and the status bar.
    const int whole = m_scrollBox->widget()->sizeHint().height() + 2 * m_scrollBox->frameWidth();
    int height = whole;
    if (const QScreen* screen = this->screen()) {
        // A window whose minimum is taller than its screen reaches past the
        // screen's edge, its buttons and status bar out of sight, and cannot
        // be made to fit. On such a screen the window keeps to the free area
        // (frame included) and the tag area scrolls instead. The rest of the
        // window's minimum is what the layouts last gave it besides the box.
        const int frame = frameGeometry().height() - geometry().height();
        const int rest = minimumHeight() - m_scrollBox->minimumHeight();
        const int room = screen->availableGeometry().height() - frame - rest;
        height = std::max(m_scrollBox->minimumSizeHint().height(), std::min(whole, room));
    }
    m_scrollBox->setMinimumHeight(height);
}

void TMainF::WatchScreen(QScreen* screen)
{
    disconnect(m_screenArea);
    if (screen)
        m_screenArea = connect(screen, &QScreen::availableGeometryChanged, this,
                               &TMainF::FitMinimumSize);
    FitMinimumSize();
}

bool TMainF::event(QEvent* event)
{
    const bool done = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
        // The platform window exists from now on; it tells when the window
        // goes to another screen.
        if (!m_screenWatched && windowHandle()) {
            m_screenWatched = true;
            connect(windowHandle(), &QWindow::screenChanged, this, &TMainF::WatchScreen);
            WatchScreen(screen());
        }
        break;
    case QEvent::LayoutRequest: // the layouts have passed a new minimum up
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::Move: // the frame's size is known once the window manager placed it
        FitMinimumSize();
        break;
    default:
        break;
    }
    return done;
}
