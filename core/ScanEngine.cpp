#include "core/ScanEngine.h"

#include "core/IconSource.h"
#include "core/TGatherPics.h"
#include "platform/files/NativePath.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <system_error>

namespace orbisk {

ScanEngine::ScanEngine(ScanView& view)
    : view_(view)
    , wake_([this] { OnWake(); })
    , mailbox_(std::make_shared<ScanMailbox>(&wake_))
    , lists_(std::make_shared<ScanLists>())
    , stopped_(std::make_shared<std::atomic<bool>>(false))
{
    if (wake_.Available()) {
        deliveryTimer_ = std::make_unique<QTimer>();
        deliveryTimer_->setSingleShot(true);
        QObject::connect(deliveryTimer_.get(), &QTimer::timeout, [this] { DeliverUpdates(); });
    }
}

ScanEngine::~ScanEngine()
{
    stopped_->store(true);
    worker_.Stop();
}

bool ScanEngine::ScanRunning() const { return worker_.Running(); }

void ScanEngine::DropPending()
{
    mailbox_->Drop();
    pendingUpdates_.clear();
    pendingPanels_.fill(std::nullopt);
    ++generation_;
}

// When the worker has to be left behind, EndScan (deliver) keeps a copy of
// its lists; BeginScan starts new ones anyway.
bool ScanEngine::StopWorker(bool deliver)
{
    stopped_->store(true);
    const bool ended = worker_.Stop([this, deliver] {
        if (deliver)
            DeliverUpdates();
    });
    if (ended)
        return true;
    // Left behind: what it posted before stays to be shown, but from now on
    // it writes only into lists and a mailbox of its own.
    if (deliver) {
        DeliverUpdates();
        lists_ = CopyOf(*lists_);
    } else {
        DropPending(); // and the lists go too: a new scan follows
    }
    mailbox_ = std::make_shared<ScanMailbox>(&wake_);
    stopped_ = std::make_shared<std::atomic<bool>>(true);
    return false;
}

void ScanEngine::BeginScan(const std::string& path)
{
    if (path.empty())
        return;
    for (int panel = 0; panel < 3; ++panel)
        view_.SetPanelText(panel, {});
    StopWorker(false);
    // Nothing the old scan posted may show once the new one has started.
    DropPending();
    scanRoot_ = TrimTrailingSeparators(path);
    // New lists rather than cleared ones: the old ones may still be read by
    // a batch left behind.
    lists_ = std::make_shared<ScanLists>();
    mailbox_ = std::make_shared<ScanMailbox>(&wake_);
    stopped_ = std::make_shared<std::atomic<bool>>(false);
    view_.SetColCount(1);
    view_.SetRowCount(1);
    view_.Repaint();
    PublishGridClientSize();
    ScanJob job { scanRoot_, oneFileMode_, withSub_, fileExt_, hooks_, readerThreads_ };
    try {
        worker_ = Job(TGatherPics(std::move(job), lists_, mailbox_, stopped_));
    } catch (const std::system_error&) {
        stopped_->store(true);
    }
    if (worker_.Queued())
        view_.SetPanelText(ScanView::DetailPanel, std::string(DiskNotAnswering));
}

void ScanEngine::EndScan()
{
    StopWorker(true);
    DeliverUpdates();
}

bool ScanEngine::WaitForScan(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (worker_.WaitFor(std::clamp(left, std::chrono::milliseconds(0), StatusInterval)))
            break;
        DeliverUpdates();
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    worker_.Stop();
    DeliverUpdates();
    return true;
}

void ScanEngine::OnWake()
{
    // Status texts come after every directory entry; showing them more often
    // than the eye can follow would only take time from the scan.
    const auto since = std::chrono::steady_clock::now() - lastDelivery_;
    if (since >= StatusInterval || !ScanRunning() || !deliveryTimer_) {
        DeliverUpdates();
        return;
    }
    if (!deliveryTimer_->isActive())
        deliveryTimer_->start(std::chrono::duration_cast<std::chrono::milliseconds>(StatusInterval - since));
}

void ScanEngine::DeliverUpdates()
{
    lastDelivery_ = std::chrono::steady_clock::now();
    ScanMailbox::Batch batch = mailbox_->Take();
    for (ScanMailbox::Update& u : batch.updates)
        pendingUpdates_.push_back(std::move(u));
    for (std::size_t p = 0; p < batch.panels.size(); ++p) {
        if (batch.panels[p])
            pendingPanels_[p] = std::move(batch.panels[p]);
    }
    const unsigned long generation = generation_;
    while (!pendingUpdates_.empty() && generation == generation_) {
        const ScanMailbox::Update u = std::move(pendingUpdates_.front());
        pendingUpdates_.pop_front();
        switch (u.kind) {
        case ScanMailbox::Update::Caption:
            view_.SetCaption(u.text);
            break;
        case ScanMailbox::Update::Grow:
            view_.GrowGrid(u.iconCount, u.fitColumns, u.fitRows);
            break;
        case ScanMailbox::Update::Arrange:
            ArrangeGrid();
            break;
        }
    }
    for (std::size_t p = 0; p < pendingPanels_.size() && generation == generation_; ++p) {
        if (std::optional<std::string> text = std::exchange(pendingPanels_[p], std::nullopt))
            view_.SetPanelText(int(p), *text);
    }
}

void ScanEngine::PublishGridClientSize() { mailbox_->PublishGridClientSize(view_.ClientWidth(), view_.ClientHeight()); }

std::string ScanEngine::FilePath(std::size_t fileIndex) const
{
    return ScanFilePath(Folders(), Files(), fileIndex);
}

std::string ScanEngine::IconName(std::size_t iconIndex) const
{
    if (iconIndex >= Icons().size())
        return {};
    return IconSourceName(Folders(), Files(), Icons()[iconIndex]);
}

void ScanEngine::ArrangeGrid()
{
    view_.ArrangeGrid(static_cast<long long>(Icons().size()));
    PublishGridClientSize();
}

void ScanEngine::DeleteMarkedIcons()
{
    if (ScanRunning())
        EndScan(); // entries may only move while no worker appends
    Icons().RemoveMarked();
    ArrangeGrid();
}

std::size_t ScanEngine::RemoveDuplicateIcons()
{
    if (ScanRunning())
        EndScan(); // entries may only move while no worker appends
    const std::size_t removed = Icons().RemoveDuplicates();
    ArrangeGrid();
    view_.SetPanelText(ScanView::DetailPanel, std::to_string(removed) + " duplicate icon(s) removed");
    return removed;
}

bool ScanEngine::DeleteCurrentIcon(int col, int row)
{
    if (ScanRunning())
        EndScan();
    if (col < 0 || row < 0)
        return false;
    const long long index = static_cast<long long>(view_.ColCount()) * row + col;
    if (index >= static_cast<long long>(Icons().size()) || !Icons().RemoveAt(std::size_t(index)))
        return false;
    ArrangeGrid();
    return true;
}

} // namespace orbisk
