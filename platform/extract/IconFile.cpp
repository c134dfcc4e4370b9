#include "platform/extract/IconFile.h"

#include "platform/extract/FileSource.h"
#include "platform/extract/IconChoice.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconFitting.h"
#include "platform/extract/IconGroupDecoder.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace orbisk {

namespace {

struct KeptIcon {
    UniqueIcon icon;
    ImageInfo chosen;
};

// An image of the file by where it lies: groups that name one image name
// the same bytes.
using ImageKey = std::pair<uint64_t, uint64_t>;

// A 32 x 32 handle image with its mask, and what the table and the map
// spend on it.
constexpr std::size_t kImageBytes = std::size_t(32) * 32 * 4 + 128 + 160;

} // namespace

struct IconFile::State {
    std::string path;
    FileIdentity identity;
    std::optional<RegularFile> file;
    std::unique_ptr<BlockCache> blocks;
    IconNumbering numbering;
    // Every image decoded, by location, holding one reference each.
    std::map<ImageKey, KeptIcon> images;
    // What the header of every image looked at told.
    std::map<ImageKey, ImageInfo> looked;
    // Icons made ahead, each handed out once; past them there is none
    // when aheadComplete.
    std::vector<KeptIcon> ahead;
    bool aheadComplete = false;
    bool tooManyImages = false;
};

IconFile::IconFile() = default;
IconFile::IconFile(std::unique_ptr<State> state)
    : state_(std::move(state))
{
}
IconFile::IconFile(IconFile&&) noexcept = default;
IconFile& IconFile::operator=(IconFile&&) noexcept = default;
IconFile::~IconFile() = default;

IconFile IconFile::Open(const std::string& path)
{
    auto file = RegularFile::Open(path);
    if (!file)
        return {};
    auto state = std::make_unique<State>();
    state->path = path;
    state->identity = file->Identity();
    state->blocks = std::make_unique<BlockCache>();
    FileSource source(file->Descriptor(), file->Size(), *state->blocks);
    auto container = OpenIconContainer(source);
    state->numbering = IconNumbering(container ? std::move(*container) : nullptr);
    state->file.emplace(std::move(*file));
    return IconFile(std::move(state));
}

const std::string& IconFile::Path() const
{
    static const std::string none;
    return state_ ? state_->path : none;
}

bool IconFile::EnsureOpen()
{
    State& s = *state_;
    if (s.file)
        return true;
    auto file = RegularFile::Open(s.path);
    if (!file)
        return false;
    if (file->Identity() != s.identity) {
        // Changed since its directory was read: the icons from here on are
        // the new file's.
        *this = Open(s.path);
        return state_ != nullptr;
    }
    if (!s.blocks)
        s.blocks = std::make_unique<BlockCache>();
    s.file.emplace(std::move(*file));
    return true;
}

UniqueIcon IconFile::MakeGroupIcon(ByteSource& source, uint32_t g, ImageInfo* chosen)
{
    State& s = *state_;
    if (s.tooManyImages)
        return nullptr;
    IconContainer& container = *s.numbering.Container();
    if (container.Budget().failedDecodes == 0)
        return nullptr;
    auto images = container.GroupImages(source, g);
    if (!images)
        return nullptr;
    if (UniqueIcon known = KnownGroupIcon(*images, chosen))
        return known;
    auto ranked = RankImages(source, std::move(*images), PreferenceOrder);
    if (!ranked)
        return nullptr;
    for (const ImageCandidate& c : *ranked)
        s.looked.try_emplace(ImageKey { c.at.offset, c.at.size }, c.info);
    for (const ImageCandidate& c : *ranked) {
        const ImageKey key { c.at.offset, c.at.size };
        if (auto it = s.images.find(key); it != s.images.end()) {
            if (chosen)
                *chosen = it->second.chosen;
            return UniqueIcon(CopyIcon(it->second.icon.get()));
        }
        if (s.images.size() >= kMaxImagesDecodedPerFile) {
            s.tooManyImages = true;
            return nullptr;
        }
        auto image = DecodeCandidate(source, c);
        if (!image) {
            if (!ImageBudget::Spend(container.Budget().failedDecodes))
                break;
            continue;
        }
        UniqueIcon icon(CreateIcon(container.Kind() == GroupKind::Bitmap ? FitBitmap(*image) : FitIcon(*image)));
        if (!icon)
            continue;
        const HICON made = icon.get();
        s.images.emplace(key, KeptIcon { std::move(icon), c.info });
        if (chosen)
            *chosen = c.info;
        return UniqueIcon(CopyIcon(made));
    }
    return nullptr;
}

// A group whose images have all been looked at before and whose best image
// has been decoded is answered without reading a byte of its images: a file
// that names one image from thousands of groups costs each group the reads
// of its directory.
UniqueIcon IconFile::KnownGroupIcon(const std::vector<ImageLocation>& images, ImageInfo* chosen)
{
    State& s = *state_;
    std::vector<ImageInfo> infos;
    std::vector<ImageKey> keys;
    for (const ImageLocation& at : images) {
        const ImageKey key { at.offset, at.size };
        const auto it = s.looked.find(key);
        if (it == s.looked.end())
            return nullptr;
        infos.push_back(it->second);
        keys.push_back(key);
    }
    const std::vector<std::size_t> order = PreferenceOrder(infos);
    if (order.empty())
        return nullptr;
    const auto best = s.images.find(keys[order.front()]);
    if (best == s.images.end())
        return nullptr;
    if (chosen)
        *chosen = best->second.chosen;
    return UniqueIcon(CopyIcon(best->second.icon.get()));
}

UniqueIcon IconFile::Icon(int n, ImageInfo* chosen)
{
    if (!state_ || n < 0)
        return nullptr;
    if (std::size_t(n) < state_->ahead.size() && state_->ahead[std::size_t(n)].icon) {
        KeptIcon& kept = state_->ahead[std::size_t(n)];
        if (chosen)
            *chosen = kept.chosen;
        return std::move(kept.icon);
    }
    if (std::size_t(n) >= state_->ahead.size() && state_->aheadComplete)
        return nullptr;
    // An open file is taken as it is; a closed one is opened again and
    // read afresh when it changed.
    if (state_->tooManyImages || !EnsureOpen())
        return nullptr;
    State& s = *state_;
    if (!s.numbering.Container())
        return nullptr;
    FileSource source(s.file->Descriptor(), s.file->Size(), *s.blocks);
    UniqueIcon icon;
    auto found = s.numbering.FindIcon(source, n, [&](uint32_t g) {
        icon = MakeGroupIcon(source, g, chosen);
        return icon != nullptr;
    });
    return found ? std::move(icon) : nullptr;
}

Result<GroupResource> IconFile::Resource(int n)
{
    if (!state_ || n < 0 || !EnsureOpen())
        return Error { "no such icon" };
    State& s = *state_;
    if (!s.numbering.Container())
        return Error { "no such icon" };
    FileSource source(s.file->Descriptor(), s.file->Size(), *s.blocks);
    ORBISK_TRY(g, s.numbering.Group(source, n));
    return s.numbering.Container()->ResourceOf(source, *g);
}

void IconFile::DecodeAhead(int count)
{
    if (!state_)
        return;
    for (int n = int(state_->ahead.size()); n < count; ++n) {
        const State* before = state_.get();
        ImageInfo chosen;
        UniqueIcon icon = Icon(n, &chosen);
        if (state_.get() != before)
            break; // the file changed: the worker reads it afresh
        if (!state_)
            return;
        if (!icon) {
            state_->aheadComplete = !state_->tooManyImages;
            break;
        }
        state_->ahead.push_back({ std::move(icon), chosen });
    }
    if (!state_)
        return;
    Close();
    state_->blocks.reset();
}

void IconFile::Close()
{
    if (state_)
        state_->file.reset();
}

void IconFile::ForgetImages()
{
    if (state_) {
        state_->images.clear();
        state_->looked.clear();
    }
}

void IconFile::Refresh()
{
    if (!state_)
        return;
    auto identity = RegularFile::Identify(state_->path);
    if (!identity || *identity != state_->identity)
        *this = Open(state_->path);
}

bool IconFile::TooManyImages() const { return state_ && state_->tooManyImages; }

std::size_t IconFile::HeldBytes() const
{
    if (!state_)
        return 0;
    const State& s = *state_;
    std::size_t bytes = sizeof(State) + s.path.size() + s.images.size() * kImageBytes + s.looked.size() * 64
        + s.ahead.capacity() * sizeof(KeptIcon);
    if (s.blocks)
        bytes += sizeof(BlockCache);
    // The directory: a group's record and its yield.
    if (const IconContainer* container = s.numbering.Container())
        bytes += std::size_t(container->GroupCount()) * 16;
    return bytes;
}

} // namespace orbisk
