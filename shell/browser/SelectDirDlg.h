#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orbisk {

class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;

// The folder browser: a drive list, the folder list of the current drive, the
// files of the current folder, and either the current folder's path (shortened
// to fit) or, when folders may be created, an edit box in which the user may
// type a folder that does not exist yet. Paths are native byte strings.
class TSelectDirDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize ClientSize { 424, 255 };

    // Opens at directory (absolute), or at the process's current folder when
    // it is empty.
    explicit TSelectDirDlg(const std::string& directory = {}, QWidget* parent = nullptr);

    // The edit box takes the place of the current-folder label.
    bool AllowCreate() const { return AllowCreate_; }
    void SetAllowCreate(bool allow);
    // OK asks before it chooses a folder that does not exist.
    bool Prompt() const { return Prompt_; }
    void SetPrompt(bool prompt) { Prompt_ = prompt; }
    // 0 hides the Help button; OK and Cancel then move to the right.
    int HelpContext() const { return HelpContext_; }
    void SetHelpContext(int context);

    // The folder the lists show.
    const std::string& Directory() const;
    // Shows the folder path (absolute) and selects its drive.
    void SetDirectory(const std::string& path);

    // The folder OK chooses. Without AllowCreate, the folder shown. With it,
    // the edit box's folder: a relative name is taken inside the folder
    // shown, and text that names the folder shown (or a path below it) keeps
    // that folder's own bytes. Empty when the edit box is empty.
    std::string ChosenFolder() const;

public slots:
    // OK: with AllowCreate and Prompt, a folder that does not exist is only
    // chosen once the user agrees to its creation.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void PlaceButtons();
    void DirListChange();
    void DriveListChange();

    bool AllowCreate_ = false;
    bool Prompt_ = false;
    int HelpContext_ = 0;

    QLabel* DirLabel_ = nullptr;
    QLineEdit* EditBox_ = nullptr;
    TDirectoryListBox* DirList_ = nullptr;
    TFileListBox* FileList_ = nullptr;
    TDriveComboBox* DriveList_ = nullptr;
    QPushButton* NetButton_ = nullptr;
    QPushButton* OKButton_ = nullptr;
    QPushButton* CancelButton_ = nullptr;
    QPushButton* HelpButton_ = nullptr;
};

} // namespace orbisk
