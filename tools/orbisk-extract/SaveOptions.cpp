#include "SaveOptions.h"

#include "export/BitmapExport.h"
#include "export/SaveColors.h"

#include <algorithm>
#include <iterator>

namespace orbisk::tool {

void AddSaveOptions(CLI::App& app, SaveOptions& options)
{
    auto* colors = app.add_option("--colors", options.saveColors,
                          "depth of icon files as a colour count: 0 the display's (the default), 16, 256, 65536, "
                          "16777216, 2147483647")
                       ->type_name("N")
                       ->transform(WholeNumber(0, 0,
                           std::vector<long long>(std::begin(SaveColorsChoices), std::end(SaveColorsChoices))));
    app.add_flag("--bmp", options.bitmap, "write bitmaps (.bmp at the display's depth) instead")->excludes(colors);
    app.add_option("--display-depth", options.displayDepth,
           "bits per pixel of the display the files are made for, 1 to 32 (default 32)")
        ->type_name("D")
        ->transform(WholeNumber(1, 32));
}

void WriteSaved(const TafIcon& icon, const std::string& fileName, const SaveOptions& options)
{
    if (options.bitmap)
        WriteBitmapFile(icon, fileName, options.displayDepth);
    else
        TafIcon::WriteIconFile(icon, fileName, SaveColorsToColorCount(options.saveColors, options.displayDepth));
}

void WriteSavedStream(OutputStream& stream, const TafIcon& icon, const SaveOptions& options)
{
    if (options.bitmap)
        WriteBitmapStream(stream, icon, options.displayDepth);
    else
        TafIcon::WriteIconStream(
            stream, icon.Handle(), SaveColorsToColorCount(options.saveColors, options.displayDepth));
}

} // namespace orbisk::tool
