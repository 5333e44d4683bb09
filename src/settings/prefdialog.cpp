#include "prefdialog.h"

#include "advancedtab.h"
#include "compressfrm.h"
#include "paths.h"
#include "programsettings.h"
#include "queue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox* MakePatternBox(const QStringList& suggestions, const char* name)
{
    auto* box = new QComboBox;
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    // Suggestions only: typing must not grow the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(suggestions);
    // What the user types is the pattern: an inline completion would turn
    // "%8" into "%8-%1" behind their back.
    box->setCompleter(nullptr);
    return box;
}

QLabel* MakeLabel(const QString& text, const char* name, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

void SetTight(QLayout* layout)
{
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
}

} // namespace

TPrefF::TPrefF(ProgramSettings& settings, TQueue& queue, QWidget* parent)
    : QDialog(parent),
      PickFolder([](QWidget* owner, const QString& prompt, const QString& startDir) {
          return QFileDialog::getExistingDirectory(owner, prompt, startDir);
      }),
      ShowWarning([](QWidget* owner, const QString& text) {
          QMessageBox::warning(owner, QStringLiteral("Tessary"), text);
      }),
      m_settings(settings), m_queue(queue)
{
    setObjectName(QStringLiteral("PrefF"));
    setWindowTitle(tr("Настройка программы"));

    auto* pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(BuildFilesTab(), tr("Файлы"));
    auto* compressPage = new QWidget;
    compressPage->setObjectName(QStringLiteral("TabSheet2"));
    m_compress = new TCompressFrm(compressPage);
    auto* compressLayout = new QVBoxLayout(compressPage);
    compressLayout->setContentsMargins(2, 4, 2, 2);
    compressLayout->addWidget(m_compress, 0, Qt::AlignHCenter | Qt::AlignTop);
    m_compressPage = pages->addTab(compressPage, tr("Параметры сжатия"));
    m_pages = pages;
    m_advanced = new TAdvancedTab;
    pages->addTab(m_advanced, tr("Дополнительно"));
    pages->setCurrentIndex(0);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("О&тмена"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &TPrefF::accept);
    connect(cancel, &QPushButton::clicked, this, &TPrefF::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* rows = new QVBoxLayout(this);
    // The style's own margins and spacing around the pages and buttons.
    rows->addWidget(pages, 1);
    rows->addLayout(buttons);

    // The design size; a desktop font too large for it grows the dialog
    // rather than cutting texts off.
    setFixedSize(QSize(417, 403).expandedTo(minimumSizeHint()));
    Load();
}

QWidget* TPrefF::BuildFilesTab()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    auto* targetBox = new QGroupBox(tr("Путь назначения"));
    targetBox->setObjectName(QStringLiteral("TargetGB"));
    m_target = new QLineEdit;
    m_target->setObjectName(QStringLiteral("TargetEd"));
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QStringLiteral("Button1"));
    browse->setFixedWidth(28);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &TPrefF::BrowseTarget);
    m_createSubFolders =
        new QCheckBox(tr("&Создавать подпапки для исполнителей и альбомов"));
    m_createSubFolders->setObjectName(QStringLiteral("chCreateSubFolders"));
    // toggled also fires when the state is set from code, as the rule wants.
    connect(m_createSubFolders, &QCheckBox::toggled, this, &TPrefF::ApplySubFolderRule);
    auto* targetGrid = new QGridLayout(targetBox);
    SetTight(targetGrid);
    targetGrid->addWidget(m_target, 0, 0);
    targetGrid->addWidget(browse, 0, 1);
    targetGrid->addWidget(m_createSubFolders, 1, 0, 1, 2);

    auto* namesBox = new QGroupBox(tr("Формирование имен"));
    namesBox->setObjectName(QStringLiteral("NamesGB"));
    m_fileFormat =
        MakePatternBox({QStringLiteral("%0"), QStringLiteral("%8-%1"), QStringLiteral("%8 - %1"),
                        QStringLiteral("%8. %1"), QStringLiteral("%8 - %2 - %1")},
                       "FormatEd");
    m_artistFormat = MakePatternBox(
        {QStringLiteral("%2"), QStringLiteral("%8 - %2"), QStringLiteral("%8. %2")}, "edArtist");
    m_albumFormat = MakePatternBox({QStringLiteral("%3"), QStringLiteral("%4-%3"),
                                    QStringLiteral("%4 - %3"), QStringLiteral("%8. %3 (%4)")},
                                   "edAlbum");
    // Disabled pattern boxes take the colour of the group around them, so
    // they look greyed whatever the style draws for a disabled edit.
    for (QComboBox* box : {m_artistFormat, m_albumFormat}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Disabled, QPalette::Base, namesBox->palette().color(QPalette::Window));
        box->setPalette(p);
        box->setEnabled(false);
    }
    auto* defaults = new QPushButton(tr("По умо&лчанию"));
    defaults->setObjectName(QStringLiteral("Button2"));
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, &TPrefF::SetDefaultPatterns);
    auto* legend = MakeLabel(tr("%1 - Id3 Название\n%2 - Id3 Исполнитель\n"
                                            "%3 - Id3 Альбом\n%4 - Id3 Год\n%5 - Id3 Стиль\n"
                                            "%6 - Id3 Комментарий\n%7 - Id3 Дорожка (№)\n"
                                            "%8 - Id3 Дорожка (№№)\n%0 - исходное"),
                             "Label4");
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* namesGrid = new QGridLayout(namesBox);
    SetTight(namesGrid);
    namesGrid->addWidget(MakeLabel(tr("Имя &файла"), "Label2", m_fileFormat), 0, 0);
    namesGrid->addWidget(m_fileFormat, 0, 1);
    namesGrid->addWidget(MakeLabel(tr("Папка &исп-ля"), "Label1", m_artistFormat), 1,
                         0);
    namesGrid->addWidget(m_artistFormat, 1, 1);
    namesGrid->addWidget(MakeLabel(tr("Папка &альбома"), "Label3", m_albumFormat), 2,
                         0);
    namesGrid->addWidget(m_albumFormat, 2, 1);
    namesGrid->addWidget(defaults, 3, 1, Qt::AlignLeft | Qt::AlignTop);
    namesGrid->addWidget(legend, 0, 2, 5, 1);
    namesGrid->setColumnStretch(1, 1);
    namesGrid->setRowStretch(4, 1);
    namesGrid->setHorizontalSpacing(8);

    auto* miscBox = new QGroupBox(tr("Разное"));
    miscBox->setObjectName(QStringLiteral("MiscGB"));
    m_delSource = new QCheckBox(tr("&Удалять исходный файл после обработки"));
    m_delSource->setObjectName(QStringLiteral("DelSourceCB"));
    m_delFromQueue =
        new QCheckBox(tr("Удалять обработанные файлы из очереди по окончании"));
    m_delFromQueue->setObjectName(QStringLiteral("chDelFromQ"));
    auto* miscColumn = new QVBoxLayout(miscBox);
    SetTight(miscColumn);
    miscColumn->addWidget(m_delSource);
    miscColumn->addWidget(m_delFromQueue);

    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(3, 4, 3, 4);
    rows->setSpacing(4);
    rows->addWidget(targetBox);
    rows->addWidget(namesBox, 1);
    rows->addWidget(miscBox);
    return page;
}

bool TPrefF::Run(ProgramSettings& settings, TQueue& queue, QWidget* parent)
{
    TPrefF dialog(settings, queue, parent);
    return dialog.exec() == QDialog::Accepted;
}

void TPrefF::Load()
{
    m_target->setText(m_settings.TargetDirectory);
    m_fileFormat->setEditText(m_settings.FileNameFormat);
    m_artistFormat->setEditText(m_settings.ArtistFolderFormat);
    m_albumFormat->setEditText(m_settings.AlbumFolderFormat);
    m_createSubFolders->setChecked(m_settings.CreateSubFolders);
    ApplySubFolderRule(); // also when the state did not change
    m_delFromQueue->setChecked(m_settings.DeleteFromQueue);
    m_delSource->setChecked(m_settings.DeleteAfterProcess);
    m_compress->SetPresets(TCompressPresets(m_settings.UserPresets));
    m_compress->Load(TCompressValues::From(m_settings));
    m_advanced->Load(m_settings);
}

QString TPrefF::RelativeTargetText(const QString& folder)
{
    return tr("Путь назначения должен быть полным, от корня: начинаться с «/» "
                          "или с «~/» (домашняя папка).\n\n%1")
        .arg(folder);
}

void TPrefF::accept()
{
    // lame runs in the program's folder, so a relative target would not be
    // where the user thinks, and every job would fail.
    const QString target = Paths::ExpandHome(m_target->text());
    if (!target.isEmpty() && !QDir::isAbsolutePath(target)) {
        if (ShowWarning)
            ShowWarning(this, RelativeTargetText(target));
        m_target->setFocus();
        m_target->selectAll();
        return;
    }
    // lame would refuse the whole run; the field says why.
    if (const QString problem = m_compress->ExtraOptionsProblem(); !problem.isEmpty()) {
        if (ShowWarning)
            ShowWarning(this, problem);
        m_pages->setCurrentIndex(m_compressPage);
        m_compress->FocusExtraOptions();
        return;
    }
    m_target->setText(target);
    Store();
    QDialog::accept();
}

void TPrefF::Store()
{
    ProgramSettings& s = m_settings;
    s.DeleteFromQueue = m_delFromQueue->isChecked();
    s.TargetDirectory = m_target->text();
    s.FileNameFormat = m_fileFormat->currentText();
    s.ArtistFolderFormat = m_artistFormat->currentText();
    s.AlbumFolderFormat = m_albumFormat->currentText();
    s.CreateSubFolders = m_createSubFolders->isChecked();
    s.DeleteAfterProcess = m_delSource->isChecked();

    TCompressValues values = TCompressValues::From(s);
    m_compress->ReadBack(values);
    values.StoreTo(s);

    // Every job, processed or not, takes the new defaults; its own setters
    // keep a bitrate it does not accept.
    for (int i = 0; i < m_queue.Count(); ++i) {
        TQueueItem* job = m_queue.Items(i);
        job->SetAlgorithm(s.Algorithm);
        job->SetABitrate(s.ABitrate);
        job->SetMinBitrate(s.MinBitrate);
        job->SetMaxBitrate(s.MaxBitrate);
        job->SetFrequency(s.Frequency);
        job->SetQuality(s.Quality);
        job->SetVBRQuality(s.VBRQuality);
        job->SetVBRNew(s.VBRNew);
        job->SetMode(s.Mode);
        job->SetKeepFreq(s.KeepFreq);
        job->SetCopyrighted(s.Copyrighted);
        job->SetNonOriginal(s.NonOriginal);
        job->SetCRCs(s.CRCs);
        job->SetExtraOptions(s.ExtraOptions);
    }
    s.UserPresets = m_compress->Presets().User();
    m_advanced->Store(s);
}

void TPrefF::ApplySubFolderRule()
{
    const bool on = m_createSubFolders->isChecked();
    m_artistFormat->setEnabled(on);
    m_albumFormat->setEnabled(on);
}

void TPrefF::SetDefaultPatterns()
{
    m_fileFormat->setEditText(QStringLiteral("%0"));
    m_artistFormat->setEditText(QStringLiteral("%2"));
    m_albumFormat->setEditText(QStringLiteral("%4 - %3"));
}

void TPrefF::BrowseTarget()
{
    if (!PickFolder)
        return;
    const QString current = m_target->text();
    const QString start = !current.isEmpty() && QFileInfo(current).isDir() ? current : QString();
    const QString chosen = PickFolder(this, BrowsePrompt(), start);
    if (!chosen.isEmpty())
        m_target->setText(chosen);
}
