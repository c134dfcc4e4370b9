#include "ui/WindowSettings.h"

#include "export/SaveColors.h"

#include <algorithm>
#include <iterator>

namespace orbisk {

namespace {

constexpr char Display[] = "Display";
constexpr char Options[] = "Options";

// A path kept on one line of the settings file: a folder name may hold line
// breaks, which would otherwise start new lines of their own.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, '?');
    return text;
}

AppSettings ReadOptions(const TIniFile& file)
{
    AppSettings options;
    options.WithSub = file.ReadBool(Options, "WithSub", false);
    options.AutoScan = file.ReadBool(Options, "AutoScan", true);
    options.FileExt = file.ReadString(Options, "FileExt", DefaultFileExt);
    // A value the options dialog cannot show reads as the default: the
    // dialog would store it back unseen, and the batch save writes nothing
    // for a format it does not know.
    options.SaveColors = file.ReadInteger(Options, "SaveColors", 0);
    if (std::ranges::find(SaveColorsChoices, options.SaveColors) == std::end(SaveColorsChoices))
        options.SaveColors = 0;
    options.SaveFileExt = file.ReadInteger(Options, "SaveFileExt", SaveAsIcon);
    if (options.SaveFileExt != SaveAsIcon && options.SaveFileExt != SaveAsBitmap)
        options.SaveFileExt = SaveAsIcon;
    return options;
}

} // namespace

TWindowSettings::TWindowSettings(SettingsLocation location)
    : Location_(std::move(location))
{
}

bool TWindowSettings::Open()
{
    const auto file = PrepareSettingsFile(Location_);
    if (!file)
        return false;
    File_ = std::make_unique<TIniFile>(file->path);
    ReadOnly_ = file->readOnly;
    return true;
}

std::optional<StoredWindow> TWindowSettings::Read() const
{
    if (!File_)
        return std::nullopt;
    try {
        const TIniFile& file = *File_;
        StoredWindow stored;
        stored.Top = file.ReadInteger(Display, "FormTop", -1);
        stored.Left = file.ReadInteger(Display, "FormLeft", -1);
        stored.Width = file.ReadInteger(Display, "FormWidth", -1);
        stored.Height = file.ReadInteger(Display, "FormHeight", -1);
        stored.Panel1Width = file.ReadInteger(Display, "Panel1Width", -1);
        stored.Panel5Height = file.ReadInteger(Display, "Panel5Height", -1);
        stored.StartInFolder = file.ReadString(Display, "StartInFolder", "");
        stored.ListMode = file.ReadInteger(Display, "ListMode", 1);
        stored.Options = ReadOptions(file);
        return stored;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void TWindowSettings::Write(const StoredWindow& stored)
{
    if (!File_)
        return;
    // Let go of the file even when the write throws: a second close must
    // find nothing to write to.
    const std::unique_ptr<TIniFile> file = std::move(File_);
    if (ReadOnly_)
        return;
    // One read and one replacement of the file for all the keys.
    TIniFileUpdate keys;
    keys.WriteInteger(Display, "FormTop", stored.Top);
    keys.WriteInteger(Display, "FormLeft", stored.Left);
    keys.WriteInteger(Display, "FormWidth", stored.Width);
    keys.WriteInteger(Display, "FormHeight", stored.Height);
    keys.WriteInteger(Display, "Panel1Width", stored.Panel1Width);
    keys.WriteInteger(Display, "Panel5Height", stored.Panel5Height);
    keys.WriteString(Display, "StartInFolder", OneLine(stored.StartInFolder));
    keys.WriteInteger(Display, "ListMode", stored.ListMode);
    keys.WriteBool(Options, "WithSub", stored.Options.WithSub);
    keys.WriteBool(Options, "AutoScan", stored.Options.AutoScan);
    keys.WriteString(Options, "FileExt", stored.Options.FileExt);
    keys.WriteInteger(Options, "SaveColors", stored.Options.SaveColors);
    keys.WriteInteger(Options, "SaveFileExt", stored.Options.SaveFileExt);
    file->Write(keys);
}

} // namespace orbisk
