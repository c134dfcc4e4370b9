// The main window's settings: what it reads from the settings file when it is
// created and writes back when it closes.

#include "ui/MainForm.h"

#include "export/SaveColors.h"
#include "shell/controls/TStShellListView.h"
#include "ui/StartFolder.h"

#include <QAction>
#include <QFrame>
#include <QSplitter>

#include <algorithm>
#include <iterator>

namespace orbisk {

namespace {

constexpr char Display[] = "Display";
constexpr char Options[] = "Options";

// Gives a splitter's first pane a size; the other pane takes the rest.
void SetFirstPaneSize(QSplitter* splitter, int size)
{
    const QList<int> sizes = splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    splitter->setSizes({ size, std::max(total - size, 0) });
}

// A path kept on one line of the settings file: a folder name may hold line
// breaks, which would otherwise start new lines of their own.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, '?');
    return text;
}

} // namespace

void TMainFrm::LoadSettings()
{
    if (!SettingsFile_) {
        ApplyDefaultSettings();
        return;
    }
    try {
        LoadWindowSettings(*SettingsFile_);
        LoadOptions(*SettingsFile_);
    } catch (const std::exception&) {
        ApplyDefaultSettings();
    }
}

void TMainFrm::LoadWindowSettings(const TIniFile& file)
{
    const int top = file.ReadInteger(Display, "FormTop", -1);
    const int left = file.ReadInteger(Display, "FormLeft", -1);
    const int width = file.ReadInteger(Display, "FormWidth", -1);
    const int height = file.ReadInteger(Display, "FormHeight", -1);
    ApplyStoredGeometry(top, left, width, height);
    if (const int panel1Width = file.ReadInteger(Display, "Panel1Width", -1); panel1Width >= 0)
        SetFirstPaneSize(Splitter1_, panel1Width);
    if (const int panel5Height = file.ReadInteger(Display, "Panel5Height", -1); panel5Height >= 0)
        SetFirstPaneSize(Splitter3_, panel5Height);
    // The user comes back to the folder they left.
    StartFolder_ = StartFolderFor(file.ReadString(Display, "StartInFolder", ""));
    if (const auto style = ListModeToViewStyle(file.ReadInteger(Display, "ListMode", 1)))
        PressViewButton(*style);
}

void TMainFrm::LoadOptions(const TIniFile& file)
{
    Settings_.WithSub = file.ReadBool(Options, "WithSub", false);
    Settings_.AutoScan = file.ReadBool(Options, "AutoScan", true);
    Settings_.FileExt = file.ReadString(Options, "FileExt", DefaultFileExt);
    // A value the options dialog cannot show reads as the default: the
    // dialog would store it back unseen, and the batch save writes nothing
    // for a format it does not know.
    int32_t saveColors = file.ReadInteger(Options, "SaveColors", 0);
    if (std::ranges::find(SaveColorsChoices, saveColors) == std::end(SaveColorsChoices))
        saveColors = 0;
    SetSaveColors(saveColors);
    Settings_.SaveFileExt = file.ReadInteger(Options, "SaveFileExt", 0);
    if (Settings_.SaveFileExt != 0 && Settings_.SaveFileExt != 1)
        Settings_.SaveFileExt = 0;
}

// Each stored value that is not negative replaces the window's own. The
// system places the window only once it is shown, so there is no edge of
// its choice to keep yet: a position is applied only when both of its
// values are valid, and otherwise the system places the window.
void TMainFrm::ApplyStoredGeometry(int top, int left, int width, int height)
{
    if (left >= 0 && top >= 0)
        move(left, top);
    if (width >= 0 || height >= 0)
        resize(width >= 0 ? width : this->width(), height >= 0 ? height : this->height());
}

void TMainFrm::SetSaveColors(int32_t saveColors)
{
    Settings_.SaveColors = saveColors;
    SaveColorCount_ = SaveColorsToColorCount(saveColors, DisplayBits_);
}

void TMainFrm::ApplyDefaultSettings()
{
    PressViewButton(TViewStyle::vsIcon);
    Settings_ = AppSettings {};
}

void TMainFrm::SaveSettings()
{
    if (!SettingsFile_)
        return;
    // Let go of the file even when the write throws: a second close must
    // find nothing to write to.
    const std::unique_ptr<TIniFile> file = std::move(SettingsFile_);
    // Settings read from a place this user may not write to stay as they
    // are.
    if (SettingsReadOnly_)
        return;
    // One read and one replacement of the file for all the keys.
    TIniFileUpdate keys;
    keys.WriteInteger(Display, "FormTop", y());
    keys.WriteInteger(Display, "FormLeft", x());
    keys.WriteInteger(Display, "FormWidth", width());
    keys.WriteInteger(Display, "FormHeight", height());
    keys.WriteInteger(Display, "Panel1Width", Panel1_->width());
    keys.WriteInteger(Display, "Panel5Height", Panel5_->height());
    keys.WriteString(Display, "StartInFolder", OneLine(SelectedFolderPath()));
    keys.WriteInteger(Display, "ListMode", ListModeOf(PressedViewButton()));
    keys.WriteBool(Options, "WithSub", Settings_.WithSub);
    keys.WriteBool(Options, "AutoScan", Settings_.AutoScan);
    keys.WriteString(Options, "FileExt", Settings_.FileExt);
    keys.WriteInteger(Options, "SaveColors", Settings_.SaveColors);
    keys.WriteInteger(Options, "SaveFileExt", Settings_.SaveFileExt);
    file->Write(keys);
}

std::optional<TViewStyle> TMainFrm::PressedViewButton() const
{
    if (ReportTb_->isChecked())
        return TViewStyle::vsReport;
    if (ListTb_->isChecked())
        return TViewStyle::vsList;
    if (SmallIconTb_->isChecked())
        return TViewStyle::vsSmallIcon;
    if (LargeIconTb_->isChecked())
        return TViewStyle::vsIcon;
    return std::nullopt;
}

void TMainFrm::PressViewButton(TViewStyle style)
{
    QAction* button = style == TViewStyle::vsIcon ? LargeIconTb_
        : style == TViewStyle::vsSmallIcon        ? SmallIconTb_
        : style == TViewStyle::vsList             ? ListTb_
                                                  : ReportTb_;
    button->setChecked(true);
    SetListViewStyle(style);
}

void TMainFrm::SetListViewStyle(TViewStyle style)
{
    ListViewStyle_ = style;
    ShellList_->SetViewStyle(style);
}

void TMainFrm::LargeIconTbClick() { SetListViewStyle(TViewStyle::vsIcon); }

void TMainFrm::SmallIconTbClick() { SetListViewStyle(TViewStyle::vsSmallIcon); }

// Passing through the details view makes the list sort by name again before
// it shows the plain list.
void TMainFrm::ListTbClick()
{
    SetListViewStyle(TViewStyle::vsReport);
    SetListViewStyle(TViewStyle::vsList);
}

void TMainFrm::ReportTbClick() { SetListViewStyle(TViewStyle::vsReport); }

} // namespace orbisk
