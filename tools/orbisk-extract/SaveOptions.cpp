#include "SaveOptions.h"

#include "export/BitmapExport.h"
#include "export/SaveColors.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace orbisk::tool {

const char* const SaveOptionsHelp
    = "  --colors N         depth of icon files as a colour count: 0 the display's\n"
      "                     (the default), 16, 256, 65536, 16777216, 2147483647\n"
      "  --bmp              write bitmaps (.bmp at the display's depth) instead\n"
      "  --display-depth D  bits per pixel of the display the files are made for,\n"
      "                     1 to 32 (default 32)\n";

long long ParseCount(const std::string& text, long long max)
{
    long long value = -1;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || p != end || value < 0 || value > max)
        return -1;
    return value;
}

OptionParse ParseSaveOption(const std::vector<std::string>& args, std::size_t& i, SaveOptions& options,
                            std::string& error)
{
    const std::string& a = args[i];
    if (a == "--bmp") {
        options.bitmap = true;
    } else if (a == "--colors" || a == "--display-depth") {
        if (i + 1 >= args.size()) {
            error = "missing value for '" + a + "'";
            return OptionParse::Error;
        }
        const std::string& value = args[++i];
        if (a == "--colors") {
            const long long n = ParseCount(value, INT32_MAX);
            if (std::find(std::begin(SaveColorsChoices), std::end(SaveColorsChoices), n) == std::end(SaveColorsChoices)) {
                error = "--colors takes 0, 16, 256, 65536, 16777216 or 2147483647, not '" + value + "'";
                return OptionParse::Error;
            }
            options.saveColors = int32_t(n);
            options.colorsGiven = true;
        } else {
            const long long d = ParseCount(value, 32);
            if (d < 1) {
                error = "--display-depth takes 1 to 32 bits per pixel, not '" + value + "'";
                return OptionParse::Error;
            }
            options.displayDepth = int(d);
        }
    } else {
        return OptionParse::NotMine;
    }
    if (options.bitmap && options.colorsGiven) {
        error = "--colors and --bmp exclude each other (bitmaps take the display's depth)";
        return OptionParse::Error;
    }
    return OptionParse::Taken;
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
