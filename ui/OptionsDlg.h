#pragma once

#include "ui/AppSettings.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace orbisk {

// The options dialog: whether a scan walks sub-folders and starts on a folder
// choice, which extensions it takes, the colour depth of saved icons and the
// format of the batch save. The controls are filled from the settings each
// time the dialog is shown (switching to another window and back keeps what
// the user changed); OK copies them into the settings, Cancel leaves the
// settings as they were. Nothing is written to the settings file here.
class TOptionsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize ClientSize { 295, 279 };

    // screenColorCount stands for "Windows default" when OK works out the
    // colour count of saved icons.
    TOptionsDlg(AppSettings& settings, int32_t screenColorCount, QWidget* owner = nullptr);

    // The colour count saved icons get, as the last OK worked it out.
    int32_t SaveColorCount() const { return SaveColorCount_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void FormActivate();
    void cbALLClick(bool checked);
    void cbICOClick(bool checked);
    void OKBtnClick();
    std::string FilterOfBoxes() const;

    AppSettings& Settings_;
    int32_t ScreenColorCount_;
    int32_t SaveColorCount_ = 0;

    QPushButton* OKBtn_ = nullptr;
    QPushButton* CancelBtn_ = nullptr;
    QCheckBox* cbSUBFolders_ = nullptr;
    QCheckBox* cbAutoScan_ = nullptr;
    QCheckBox* cbALL_ = nullptr;
    // The extension boxes in the order their extensions go into the filter:
    // .ICO, .CUR, .EXE, .DLL, .ICL, .BMP.
    std::array<QCheckBox*, 6> ExtBoxes_ {};
    QComboBox* ColorsComboBox_ = nullptr;
    QComboBox* FileTypesCombo_ = nullptr;
};

// The Settings command's dialog: shows TOptionsDlg modally over owner. On OK
// the settings hold the user's choices, saveColorCount the colour count saved
// icons get (screenColorCount for "Windows default"), and the result is true;
// on Cancel nothing changes and the result is false.
bool ExecuteOptionsDialog(QWidget* owner, AppSettings& settings, int32_t screenColorCount, int32_t& saveColorCount);

} // namespace orbisk
