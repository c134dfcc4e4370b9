#include "platform/extract/ExtractIcon.h"

#include "platform/extract/IconDecoders.h"
#include "platform/extract/NumberedFile.h"

#include <optional>
#include <vector>

namespace orbisk {

namespace {

// Icons of one version of one file decoded ahead, each handed out once.
struct IconsAhead {
    struct Icon {
        std::optional<IconData> icon;
        ImageInfo chosen;
    };
    std::string path;
    FileIdentity identity;
    std::vector<Icon> icons;
    // Every icon of the file was decoded: past them there is none.
    bool complete = false;

    // Whether icon n of path is answered here, if the file is unchanged.
    bool Answers(const std::string& p, int n) const
    {
        if (p != path)
            return false;
        return std::size_t(n) < icons.size() ? icons[std::size_t(n)].icon.has_value() : complete;
    }
    UniqueIcon Take(int n, IconSourceInfo* chosen)
    {
        if (std::size_t(n) >= icons.size() || !icons[std::size_t(n)].icon)
            return nullptr;
        Icon& ahead = icons[std::size_t(n)];
        if (chosen)
            *chosen = ahead.chosen;
        UniqueIcon icon(CreateIcon(std::move(*ahead.icon)));
        ahead.icon.reset();
        return icon;
    }
};

// The icons the last prepared file this thread took still has to give.
IconsAhead& ThisThreadsIconsAhead()
{
    thread_local IconsAhead ahead;
    return ahead;
}

UniqueIcon Handle(Result<IconData> icon)
{
    if (!icon)
        return nullptr;
    return UniqueIcon(CreateIcon(std::move(*icon)));
}

} // namespace

struct PreparedIconFile::State {
    NumberedFile::Directory directory;
    IconsAhead ahead;
};

PreparedIconFile::PreparedIconFile() = default;
PreparedIconFile::PreparedIconFile(std::unique_ptr<State> state)
    : state_(std::move(state))
{
}
PreparedIconFile::PreparedIconFile(PreparedIconFile&&) noexcept = default;
PreparedIconFile& PreparedIconFile::operator=(PreparedIconFile&&) noexcept = default;
PreparedIconFile::~PreparedIconFile() = default;

UniqueIcon ExtractIconDetailed(const std::string& path, int n, IconSourceInfo* chosen)
{
    if (n < 0)
        return nullptr;
    IconsAhead& ahead = ThisThreadsIconsAhead();
    if (ahead.Answers(path, n)) {
        // Decoded ahead: only whether the file is still the same is asked.
        auto identity = RegularFile::Identify(path);
        if (identity && *identity == ahead.identity)
            return ahead.Take(n, chosen);
        ahead = {};
    }
    NumberedFile& last = NumberedFile::IconsOfThisThread();
    auto file = RegularFile::Open(path);
    if (!file) {
        last.Forget();
        return nullptr;
    }
    FileSource source = last.Use(path, *file);
    return Handle(last.Numbering().Icon(source, n, chosen));
}

HICON ExtractIcon(const std::string& path, int n) { return ExtractIconDetailed(path, n, nullptr).release(); }

PreparedIconFile PrepareIconFile(const std::string& path, int maxIcons)
{
    // Read through this thread's kept directory, which is then given away.
    NumberedFile& kept = NumberedFile::IconsOfThisThread();
    auto file = RegularFile::Open(path);
    if (!file) {
        kept.Forget();
        return {};
    }
    auto state = std::make_unique<PreparedIconFile::State>();
    FileSource source = kept.Use(path, *file);
    for (int n = 0; n < maxIcons; ++n) {
        ImageInfo chosen;
        auto icon = kept.Numbering().Icon(source, n, &chosen);
        if (!icon) {
            state->ahead.complete = true;
            break;
        }
        state->ahead.icons.push_back({ std::move(*icon), chosen });
    }
    state->ahead.path = path;
    state->ahead.identity = file->Identity();
    state->directory = kept.Release();
    return PreparedIconFile(std::move(state));
}

void UsePreparedIconFile(PreparedIconFile file)
{
    if (!file.state_)
        return;
    ThisThreadsIconsAhead() = std::move(file.state_->ahead);
    NumberedFile::IconsOfThisThread().Adopt(std::move(file.state_->directory));
}

UniqueIcon ExtractIconFromBytes(std::span<const uint8_t> bytes, int n, IconSourceInfo* chosen)
{
    MemorySource source(bytes);
    auto container = OpenIconContainer(source);
    if (!container)
        return nullptr;
    IconNumbering numbering(std::move(*container));
    return Handle(numbering.Icon(source, n, chosen));
}

} // namespace orbisk
