#include "shell/browser/SelectDirDlg.h"

#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "platform/namespace/ItemNames.h"
#include "shell/browser/DirectoryListBox.h"
#include "shell/browser/DriveComboBox.h"
#include "shell/browser/FileListBox.h"
#include "widgets/DialogParts.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace orbisk {

namespace {

constexpr int ButtonTop = 224;
constexpr QSize ButtonSize(77, 27);
// The left edges of the three buttons at the right of the bottom row.
constexpr int RightButtonLefts[] = { 172, 256, 340 };

QPushButton* AddButton(QWidget* owner, const char* name, const char* text, int left)
{
    auto* button = new QPushButton(QString::fromUtf8(text), owner);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(QRect(QPoint(left, ButtonTop), ButtonSize));
    return button;
}

} // namespace

TSelectDirDlg::TSelectDirDlg(const std::string& directory, QWidget* parent)
    : QDialog(parent)
{
    SetUpFixedDialog(*this, "SelectDirDlg", "Select Directory", ClientSize);
    UseDesignedFont(*this);
    BuildControls();
    SetAllowCreate(false);
    SetHelpContext(0);
    SetDirectory(directory.empty() ? CurrentFolderPath() : directory);
}

void TSelectDirDlg::BuildControls()
{
    // Made in tab order: folder list, edit box, drive list, network button,
    // OK, Cancel, file list, Help.
    DirList_ = new TDirectoryListBox(this);
    DirList_->setObjectName(QStringLiteral("DirList"));
    DirList_->setGeometry(8, 72, 213, 138);
    EditBox_ = new QLineEdit(this);
    EditBox_->setObjectName(QStringLiteral("EditBox"));
    EditBox_->setGeometry(8, 24, 313, 20);
    DriveList_ = new TDriveComboBox(this);
    DriveList_->setObjectName(QStringLiteral("DriveList"));
    DriveList_->setGeometry(232, 192, 185, 19);
    // There is no connect-network-drive dialog to offer.
    NetButton_ = AddButton(this, "NetButton", "Ne&twork...", 8);
    NetButton_->hide();
    OKButton_ = AddButton(this, "OKButton", "OK", RightButtonLefts[0]);
    OKButton_->setDefault(true);
    CancelButton_ = AddButton(this, "CancelButton", "Cancel", RightButtonLefts[1]);
    FileList_ = new TFileListBox(this);
    FileList_->setObjectName(QStringLiteral("FileList"));
    FileList_->setGeometry(232, 72, 185, 93);
    HelpButton_ = AddButton(this, "HelpButton", "&Help", RightButtonLefts[2]);

    QWidget* order[] = { DirList_, EditBox_, DriveList_, NetButton_, OKButton_, CancelButton_, FileList_, HelpButton_ };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    DirLabel_ = new QLabel(this);
    DirLabel_->setObjectName(QStringLiteral("DirLabel"));
    DirLabel_->setGeometry(8, 24, 313, 20);
    DirLabel_->setTextFormat(Qt::PlainText);
    AddLabel(this, "Directory &Name:", 8, 8, EditBox_);
    AddLabel(this, "&Directories:", 8, 56, DirList_);
    AddLabel(this, "&Files: (*.*)", 232, 56, FileList_);
    AddLabel(this, "D&rives:", 232, 176, DriveList_);

    connect(OKButton_, &QPushButton::clicked, this, &TSelectDirDlg::accept);
    connect(CancelButton_, &QPushButton::clicked, this, &TSelectDirDlg::reject);
    connect(DirList_, &TDirectoryListBox::DirectoryChanged, this, &TSelectDirDlg::DirListChange);
    connect(DriveList_, &TDriveComboBox::DriveChanged, this, &TSelectDirDlg::DriveListChange);
}

void TSelectDirDlg::SetAllowCreate(bool allow)
{
    AllowCreate_ = allow;
    EditBox_->setVisible(allow);
    DirLabel_->setVisible(!allow);
}

void TSelectDirDlg::SetHelpContext(int context)
{
    HelpContext_ = context;
    PlaceButtons();
}

// Without help the Help button goes and OK and Cancel take the two places at
// the right.
void TSelectDirDlg::PlaceButtons()
{
    const bool help = HelpContext_ != 0;
    HelpButton_->setVisible(help);
    OKButton_->move(RightButtonLefts[help ? 0 : 1], ButtonTop);
    CancelButton_->move(RightButtonLefts[help ? 1 : 2], ButtonTop);
}

const std::string& TSelectDirDlg::Directory() const { return DirList_->Directory(); }

void TSelectDirDlg::SetDirectory(const std::string& path) { DirList_->SetDirectory(path); }

void TSelectDirDlg::DirListChange()
{
    const QString path = DecodeName(Directory());
    DirLabel_->setText(DirLabel_->fontMetrics().elidedText(path, Qt::ElideMiddle, DirLabel_->width()));
    DirLabel_->setToolTip(path);
    FileList_->SetDirectory(Directory());
    EditBox_->setText(path);
    EditBox_->selectAll();
    DriveList_->SetDrive(DirList_->DriveRoot());
}

void TSelectDirDlg::DriveListChange()
{
    const std::string drive = DriveList_->Drive();
    if (!drive.empty() && drive != DirList_->DriveRoot())
        DirList_->SetDirectory(drive);
}

std::string TSelectDirDlg::ChosenFolder() const
{
    if (!AllowCreate_)
        return Directory();
    const QString text = EditBox_->text();
    if (text.isEmpty())
        return {};
    // The edit box holds text, not bytes: where it still shows the folder
    // shown, that folder's own bytes are used, so a name that is not valid
    // UTF-8 survives.
    const QString shown = DecodeName(Directory());
    std::string path;
    if (text == shown)
        path = Directory();
    else if (Directory() != "/" && text.startsWith(shown + QLatin1Char('/')))
        path = JoinPath(Directory(), text.mid(shown.size() + 1).toUtf8().toStdString());
    else if (text.startsWith(QLatin1Char('/')))
        path = text.toUtf8().toStdString();
    else
        path = JoinPath(Directory(), text.toUtf8().toStdString());
    return NormalizePath(path).value_or(path);
}

void TSelectDirDlg::accept()
{
    if (AllowCreate_ && Prompt_ && !IsDirectory(ChosenFolder())
        && !ConfirmYesNo(this, QStringLiteral("The specified directory does not exist. Create it?")))
        return;
    QDialog::accept();
}

void TSelectDirDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

} // namespace orbisk
